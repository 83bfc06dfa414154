#include "ui/about_box_win.h"

#include "app/product_info.h"
#include "support/cp932_win.h"

#include <gtest/gtest.h>

namespace quellix {
namespace {

using namespace about_layout;

std::string ControlText(HWND window, int id) {
    wchar_t text[512]{};
    ::GetWindowTextW(::GetDlgItem(window, id), text, 512);
    return SjisFromWide(text);
}

TEST(AboutBox, IsMadeOnceAndHidesInsteadOfClosing) {
    // The test program has no version resource: the labels keep their prefixes, nothing fails.
    TAboutForm& form = AboutForm(::GetModuleHandleW(nullptr), nullptr, nullptr);
    EXPECT_EQ(&AboutForm(::GetModuleHandleW(nullptr), nullptr, nullptr), &form);
    const HWND window = form.Handle();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(ControlText(window, kIdLabelTitle), "");
    EXPECT_EQ(ControlText(window, kIdLabelVersion), "バージョン ");
    EXPECT_EQ(ControlText(window, kIdLabelCopyLeft), "作者 ");
    EXPECT_EQ(ControlText(window, kIdLabel3), QUELLIX_HOME_URL);
    EXPECT_EQ(ControlText(window, kIdLabel4), QUELLIX_BBS_URL);

    RECT client{};
    ::GetClientRect(window, &client);
    EXPECT_EQ(client.right, kClientWidth);
    EXPECT_EQ(client.bottom, kClientHeight);

    // The links are underlined; the other labels are not.
    for (const auto& [id, underlined] : {std::pair{kIdLabel3, true}, {kIdLabel4, true}, {kIdLabel2, false}}) {
        LOGFONTW font{};
        ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(::GetDlgItem(window, id), WM_GETFONT, 0, 0)), sizeof font,
                     &font);
        EXPECT_EQ(font.lfUnderline != 0, underlined) << id;
    }

    for (const UINT hide : {UINT{WM_COMMAND}, UINT{WM_CLOSE}}) { // OK or Esc, and the close box
        form.Show();
        EXPECT_TRUE(::IsWindowVisible(window));
        ::SendMessageW(window, hide, hide == WM_COMMAND ? MAKEWPARAM(IDCANCEL, BN_CLICKED) : 0, 0);
        EXPECT_FALSE(::IsWindowVisible(window));
        EXPECT_TRUE(::IsWindow(window));
    }
}

TEST(AboutBox, IconIsDoubledPixelForPixel) {
    const std::string root{QUELLIX_SOURCE_DIR};
    const std::wstring path = WideFromSjis((root.starts_with("/") ? "Z:" : "") + root + "/assets/quellix.ico");
    const UniqueHicon icon{
        static_cast<HICON>(::LoadImageW(nullptr, path.c_str(), IMAGE_ICON, 32, 32, LR_LOADFROMFILE))};
    ASSERT_TRUE(icon);
    const TIconImages images = MakeIconImages(icon.get(), kBackground);

    const UniqueMemoryDc sub{::CreateCompatibleDC(nullptr)};
    const UniqueMemoryDc main{::CreateCompatibleDC(nullptr)};
    const ScopedSelectObject selectSub{sub.get(), images.ImageSub.get()};
    const ScopedSelectObject selectMain{main.get(), images.ImageMain.get()};
    EXPECT_EQ(::GetPixel(sub.get(), 0, 0), kBackground);     // outside the television
    EXPECT_EQ(::GetPixel(sub.get(), 5, 10), RGB(0, 0, 255)); // its screen
    int differing = 0;
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            differing += ::GetPixel(main.get(), x, y) != ::GetPixel(sub.get(), x / 2, y / 2) ? 1 : 0;
        }
    }
    EXPECT_EQ(differing, 0);
}

} // namespace
} // namespace quellix
