// The main window's look and its user-interface buttons: shape, background, glyphs and hints,
// Home, About and File.
#include "ui/main_window_win.h"

#include "app/product_info.h"
#include "support/cp932_win.h"
#include "support/errors.h"
#include "support/text.h"
#include "support/system_library_win.h"
#include "ui/about_box_win.h"
#include "ui/hint_window_win.h"
#include "ui/main_window_layout.h"
#include "support/shell_open_win.h"

#include <commdlg.h>

namespace quellix {

namespace {

// The open-file dialog's filter: description and pattern, "|"-separated.
constexpr const char* kChannelFileFilter = "ちょいテレチャンネルデータ|??_ChFile.txt";

struct GlyphResource {
    int id;
    const wchar_t* name;
};
constexpr GlyphResource kGlyphs[] = {
    {layout::kIdButtonPause, L"GLYPH_PAUSE"}, {layout::kIdButtonStop, L"GLYPH_STOP"},
    {layout::kIdButtonSkip, L"GLYPH_SKIP"},   {layout::kIdButtonPlay, L"GLYPH_RESUME"},
    {layout::kIdButtonHome, L"GLYPH_HOME"},   {layout::kIdButtonAbout, L"GLYPH_ABOUT"},
    {layout::kIdButtonFile, L"GLYPH_FILE"},
};

UniqueHbitmap LoadBitmapResource(HINSTANCE instance, const wchar_t* name) {
    return UniqueHbitmap{static_cast<HBITMAP>(::LoadImageW(instance, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION))};
}

// "description|pattern|..." as the dialog wants it: NUL-separated, ending in two NULs. Split
// after the conversion: a "|" byte can be the second byte of a Shift_JIS character.
std::wstring DialogFilter(std::string_view filter) {
    std::wstring wide = WideFromSjis(filter);
    for (wchar_t& c : wide) {
        if (c == L'|') {
            c = L'\0';
        }
    }
    wide.push_back(L'\0');
    return wide; // the string's own terminator is the second NUL
}

std::wstring WindowText(HWND window) {
    const int length = ::GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), length + 1)));
    return text;
}

// The directory part of a path as the system holds it, up to its last backslash or colon.
std::wstring DirectoryPart(const std::wstring& path) {
    const std::size_t end = path.find_last_of(L"\\:");
    return end == std::wstring::npos ? std::wstring{} : path.substr(0, end + 1);
}

} // namespace

void TFormPdigi::ApplyWindowRegion() {
    Rgn1.SetParent(window_);
    Rgn1.SetAutoSize(true);
    Rgn1.SetBounds(0, 0, layout::kClientWidth, layout::kClientHeight);
    Rgn1.SetRgnBitmap(LoadBitmapResource(instance_, L"WINDOW"));
    Rgn1.Loaded();
    Rgn1.ApplyParentRgn();
}

void TFormPdigi::PaintBackground(HDC dc) {
    if (Rgn1.RgnBitmap() != nullptr) {
        Rgn1.Paint(dc);
        return;
    }
    // Without its bitmap the window keeps its frame and a plain face.
    RECT rect{};
    ::GetClientRect(Handle(), &rect);
    ::FillRect(dc, &rect, ::GetSysColorBrush(COLOR_BTNFACE));
}

void TFormPdigi::SetupButtonLooks() {
    for (const GlyphResource& glyph : kGlyphs) {
        const UniqueHbitmap bitmap = LoadBitmapResource(instance_, glyph.name);
        glyphs_.insert_or_assign(glyph.id, TGlyph{bitmap.get()});
    }
}

// Made when the pointer first comes over the window, not at its creation: an import run, which
// nobody points at, is spared the window and its tools.
void TFormPdigi::CreateHints() {
    if (hints_ != nullptr) {
        return;
    }
    hints_ = CreateHintWindow(window_, instance_,
                              {{Control(layout::kIdButtonHome), layout::kButtonHomeHint},
                               {Control(layout::kIdButtonAbout), layout::kButtonAboutHint}});
}

void TFormPdigi::DrawButton(const DRAWITEMSTRUCT& item) const {
    const auto glyph = glyphs_.find(static_cast<int>(item.CtlID));
    DrawGlyphButton(item, glyph != glyphs_.end() ? &glyph->second : nullptr);
}

void TFormPdigi::ButtonHomeClick() {
    ShellOpen(QUELLIX_HOME_URL, "");
}

void TFormPdigi::ButtonAboutClick() {
    AboutForm(instance_, applicationWindow_, window_).Show();
}

void TFormPdigi::ButtonFileClick() {
    HWND field = Control(layout::kIdPdigiDir);
    const std::wstring initialDir = DirectoryPart(WindowText(field));
    const std::wstring filter = DialogFilter(kChannelFileFilter);
    std::wstring file(32768, L'\0');

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = window_;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrInitialDir = initialDir.empty() ? nullptr : initialDir.c_str();
    dialog.lpstrDefExt = L"txt";
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING;
    // The dialog library is loaded on first use: linked at start-up it and what it pulls in would
    // cost every import run tens of milliseconds for a dialog that only the settings window shows.
    static const auto getOpenFileName = reinterpret_cast<BOOL(WINAPI*)(OPENFILENAMEW*)>(
        reinterpret_cast<void*>(::GetProcAddress(LoadSystemLibrary(L"comdlg32.dll"), "GetOpenFileNameW")));
    if (getOpenFileName == nullptr || getOpenFileName(&dialog) == FALSE) {
        return; // cancelled (or the dialog failed): the field stays as it was
    }
    file.resize(wcsnlen(file.c_str(), file.size()));
    // pex.ini keeps the directory in code page 932: one whose name it cannot hold is told in the
    // log and the field stays as it was, rather than taking a look-alike name (é made e).
    const std::wstring chosen = DirectoryPart(file);
    const std::optional<std::string> directory = ExactSjisFromWide(chosen);
    if (!directory) {
        LogFile1.WriteLog(UnusableDirectoryText(SjisFromWide(chosen)), true);
        return;
    }
    ::SetWindowTextW(field, WideFromSjis(IncludeTrailingBackslash(*directory)).c_str());
}

} // namespace quellix
