#include "ui/about_box_win.h"

#include "app/product_info.h"
#include "support/cp932_win.h"
#include "support/message_queue_win.h"
#include "support/os.h"
#include "support/version_info.h"
#include "ui/hint_window_win.h"
#include "ui/main_window_layout.h"
#include "support/shell_open_win.h"

#include <algorithm>
#include <memory>

namespace quellix {

namespace {

using namespace about_layout;

constexpr const wchar_t* kClassName = L"TAboutForm";
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
constexpr int kImageLeft = 8;
constexpr int kImageTop = 8;
constexpr int kIconSize = 32;
constexpr int kImageSize = 64;

constexpr const char* kCaption = "バージョン情報";
constexpr const char* kVersionPrefix = "バージョン ";
constexpr const char* kAuthorPrefix = "作者 ";
constexpr const char* kLabel2Text = "最新バージョンはこのホームページからダウンロードできます。";
constexpr const char* kLabel1Text = "要望、感想、質問、バグなどは、こちらのBBSまでご連絡ください";
constexpr const char* kLinkHint = "ホームページを開く";

UniqueHfont MakeFont(bool underline) {
    return UniqueHfont{::CreateFontW(-layout::kFormFontHeight, 0, 0, 0, FW_NORMAL, FALSE, underline ? TRUE : FALSE,
                                     FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                     DEFAULT_PITCH | FF_DONTCARE, WideFromSjis(layout::kFormFontName).c_str())};
}

std::unique_ptr<TAboutForm>& AboutFormInstance() {
    static std::unique_ptr<TAboutForm> instance;
    return instance;
}

} // namespace

TIconImages MakeIconImages(HICON icon, COLORREF background) {
    TIconImages images;
    const ScopedGetDc screen{nullptr};
    images.ImageSub.reset(::CreateCompatibleBitmap(screen.get(), kIconSize, kIconSize));
    images.ImageMain.reset(::CreateCompatibleBitmap(screen.get(), kImageSize, kImageSize));
    const UniqueMemoryDc sub{::CreateCompatibleDC(screen.get())};
    const UniqueMemoryDc main{::CreateCompatibleDC(screen.get())};
    const ScopedSelectObject selectSub{sub.get(), images.ImageSub.get()};
    const ScopedSelectObject selectMain{main.get(), images.ImageMain.get()};
    const UniqueHbrush brush{::CreateSolidBrush(background)};
    RECT rect{0, 0, kIconSize, kIconSize};
    ::FillRect(sub.get(), &rect, brush.get());
    if (icon != nullptr) {
        ::DrawIconEx(sub.get(), 0, 0, icon, kIconSize, kIconSize, 0, nullptr, DI_NORMAL);
    }
    // Plain source copy, no smoothing: every pixel becomes a 2 x 2 block.
    ::SetStretchBltMode(main.get(), COLORONCOLOR);
    ::StretchBlt(main.get(), 0, 0, kImageSize, kImageSize, sub.get(), 0, 0, kIconSize, kIconSize, SRCCOPY);
    return images;
}

TAboutForm::TAboutForm(HINSTANCE instance, HWND owner, HWND centreOn)
    : instance_{instance}, owner_{owner}, centreOn_{centreOn}, background_{::CreateSolidBrush(kBackground)} {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    if (::GetClassInfoExW(instance_, kClassName, &windowClass) == FALSE) {
        windowClass = WNDCLASSEXW{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = &TAboutForm::WindowProc;
        windowClass.hInstance = instance_;
        windowClass.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        windowClass.lpszClassName = kClassName;
        ::RegisterClassExW(&windowClass);
    }
    RECT frame{0, 0, kClientWidth, kClientHeight};
    ::AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
    ::CreateWindowExW(kExStyle, kClassName, WideFromSjis(kCaption).c_str(), kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                      frame.right - frame.left, frame.bottom - frame.top, owner_, nullptr, instance_, this);
}

TAboutForm::~TAboutForm() {
    if (window_ != nullptr) {
        ::DestroyWindow(window_);
    }
}

void TAboutForm::Show() {
    if (window_ == nullptr) {
        return;
    }
    // Centred on the main window.
    RECT frame{};
    ::GetWindowRect(window_, &frame);
    RECT mainFrame{};
    if (centreOn_ != nullptr && ::GetWindowRect(centreOn_, &mainFrame) != FALSE) {
        const int width = frame.right - frame.left;
        const int height = frame.bottom - frame.top;
        const int left = mainFrame.left + (mainFrame.right - mainFrame.left - width) / 2;
        const int top = mainFrame.top + (mainFrame.bottom - mainFrame.top - height) / 2;
        ::SetWindowPos(window_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ::ShowWindow(window_, SW_SHOW);
    ::SetForegroundWindow(window_);
    ::SetFocus(::GetDlgItem(window_, kIdBtnCancel));
}

LRESULT TAboutForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        CreateControls();
        FormCreate();
        RegisterDialogKeyWindow(window_);
        return 0;
    case WM_ERASEBKGND: {
        RECT client{};
        ::GetClientRect(window_, &client);
        ::FillRect(reinterpret_cast<HDC>(wParam), &client, background_.get());
        return 1;
    }
    case WM_PAINT:
        WMPaint();
        return 0;
    case WM_CTLCOLORSTATIC: {
        const HDC dc = reinterpret_cast<HDC>(wParam);
        ::SetTextColor(dc, IsLink(reinterpret_cast<HWND>(lParam)) ? kLinkColor : kLabelColor);
        ::SetBkColor(dc, kBackground);
        return reinterpret_cast<LRESULT>(background_.get());
    }
    case WM_CTLCOLORBTN:
        ::SetBkColor(reinterpret_cast<HDC>(wParam), kBackground);
        return reinterpret_cast<LRESULT>(background_.get());
    case WM_SETCURSOR:
        if (IsLink(reinterpret_cast<HWND>(wParam))) {
            ::SetCursor(::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND)));
            return TRUE;
        }
        break;
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        const int code = HIWORD(wParam);
        // Enter comes as IDOK from the dialog keys: it presses the focused button, OK being the
        // box's only one.
        const bool enterOnOk = id == IDOK && ::GetFocus() == ::GetDlgItem(window_, kIdBtnCancel);
        if ((id == kIdBtnCancel && code == BN_CLICKED) || enterOnOk) {
            BtnCancelClick();
        } else if (id == kIdLabel3 && code == STN_CLICKED) {
            Label3Click();
        } else if (id == kIdLabel4 && code == STN_CLICKED) {
            Label4Click();
        }
        return 0;
    }
    case WM_CLOSE:
        BtnCancelClick(); // the close box hides it too; the box lives until the program ends
        return 0;
    case WM_DESTROY:
        UnregisterDialogKeyWindow(window_);
        window_ = nullptr;
        return 0;
    default:
        break;
    }
    return ::DefWindowProcW(window_, message, wParam, lParam);
}

HWND TAboutForm::CreateLabel(int id, const std::string& text, int left, int top, bool link) {
    // SS_NOTIFY: the labels take mouse input, so the links can be clicked and show hints.
    HWND label = ::CreateWindowExW(0, L"STATIC", WideFromSjis(text).c_str(),
                                   WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX | SS_NOTIFY, left, top, 0, 0,
                                   window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
    ::SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(link ? linkFont_.get() : font_.get()), FALSE);
    SetLabelText(id, text);
    return label;
}

// Labels size themselves to their text, so no font draws them cut off.
void TAboutForm::SetLabelText(int id, const std::string& text) {
    HWND label = ::GetDlgItem(window_, id);
    const std::wstring wide = WideFromSjis(text);
    ::SetWindowTextW(label, wide.c_str());
    const ScopedGetDc dc{label};
    const ScopedSelectObject font{dc.get(), reinterpret_cast<HGDIOBJ>(::SendMessageW(label, WM_GETFONT, 0, 0))};
    RECT extent{0, 0, 0, 0};
    ::DrawTextW(dc.get(), wide.c_str(), static_cast<int>(wide.size()), &extent,
                DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    ::SetWindowPos(label, nullptr, 0, 0, extent.right,
                   std::max(extent.bottom, static_cast<LONG>(layout::kFormFontHeight)),
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool TAboutForm::IsLink(HWND control) const noexcept {
    return control != nullptr &&
           (control == ::GetDlgItem(window_, kIdLabel3) || control == ::GetDlgItem(window_, kIdLabel4));
}

void TAboutForm::CreateControls() {
    font_ = MakeFont(false);
    linkFont_ = MakeFont(true);
    CreateLabel(kIdLabelTitle, "", 80, 8, false);
    CreateLabel(kIdLabelVersion, "", 80, 32, false);
    CreateLabel(kIdLabelCopyLeft, "", 80, 56, false);
    CreateLabel(kIdLabel2, kLabel2Text, 8, 76, false);
    HWND home = CreateLabel(kIdLabel3, QUELLIX_HOME_URL, 32, 96, true);
    CreateLabel(kIdLabel1, kLabel1Text, 8, 120, false);
    HWND board = CreateLabel(kIdLabel4, QUELLIX_BBS_URL, 32, 144, true);
    HWND ok =
        ::CreateWindowExW(0, L"BUTTON", L"OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 127, 169, 75, 25,
                          window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdBtnCancel)), instance_, nullptr);
    ::SendMessageW(ok, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);

    tooltip_ = CreateHintWindow(window_, instance_, {{home, kLinkHint}, {board, kLinkHint}});
}

void TAboutForm::FormCreate() {
    auto* icon = static_cast<HICON>(::LoadImageW(instance_, L"MAINICON", IMAGE_ICON, ::GetSystemMetrics(SM_CXICON),
                                                 ::GetSystemMetrics(SM_CYICON), 0));
    const UniqueHicon ownedIcon{icon};
    icon_ = MakeIconImages(icon, kBackground);

    TVersion version;
    (void)ReadVersionInfo(os::ExecutablePath(), version);
    SetLabelText(kIdLabelTitle, version.ProductName);
    SetLabelText(kIdLabelVersion, kVersionPrefix + version.FileVersion);
    SetLabelText(kIdLabelCopyLeft, kAuthorPrefix + version.LegalCopyright);
}

void TAboutForm::WMPaint() {
    PAINTSTRUCT paint{};
    HDC dc = ::BeginPaint(window_, &paint);
    if (icon_.ImageMain) {
        const UniqueMemoryDc source{::CreateCompatibleDC(dc)};
        const ScopedSelectObject select{source.get(), icon_.ImageMain.get()};
        ::BitBlt(dc, kImageLeft, kImageTop, kImageSize, kImageSize, source.get(), 0, 0, SRCCOPY);
    }
    ::EndPaint(window_, &paint);
}

void TAboutForm::BtnCancelClick() {
    ::ShowWindow(window_, SW_HIDE);
}

void TAboutForm::Label3Click() {
    ShellOpen(QUELLIX_HOME_URL, "");
}

void TAboutForm::Label4Click() {
    ShellOpen(QUELLIX_BBS_URL, "");
}

TAboutForm& AboutForm(HINSTANCE instance, HWND owner, HWND centreOn) {
    std::unique_ptr<TAboutForm>& form = AboutFormInstance();
    if (!form) {
        form = std::make_unique<TAboutForm>(instance, owner, centreOn);
    }
    return *form;
}

} // namespace quellix
