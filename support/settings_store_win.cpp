#include "support/settings_store_win.h"

#include "support/cp932_win.h"
#include "support/errors.h"
#include "support/text.h"
#include "support/unique_handle_win.h"

namespace quellix {

TWindowSettingsTarget::TWindowSettingsTarget(HWND window, std::vector<std::pair<std::string, HWND>> components)
    : window_{window}, components_{std::move(components)} {}

std::string TWindowSettingsTarget::ClassName() const {
    wchar_t name[256]{};
    const int length = ::GetClassNameW(window_, name, static_cast<int>(std::size(name)));
    return SjisFromWide(std::wstring_view{name, static_cast<std::size_t>(length > 0 ? length : 0)});
}

bool TWindowSettingsTarget::Exists() const {
    return ::IsWindow(window_) != FALSE;
}

bool TWindowSettingsTarget::IsVisible() const {
    return ::IsWindowVisible(window_) != FALSE;
}

bool TWindowSettingsTarget::IsResizable() const {
    return (::GetWindowLongPtrW(window_, GWL_STYLE) & WS_THICKFRAME) != 0;
}

// The main window is the program's taskbar window: the application is minimized when it is.
bool TWindowSettingsTarget::ApplicationMinimized() const {
    return ::IsIconic(window_) != FALSE;
}

TPlacement TWindowSettingsTarget::Placement() const {
    WINDOWPLACEMENT p{};
    p.length = sizeof p;
    if (!::GetWindowPlacement(window_, &p)) {
        RECT rect{};
        ::GetWindowRect(window_, &rect);
        p.showCmd = SW_SHOWNORMAL;
        p.rcNormalPosition = rect;
    }
    return TPlacement{
        static_cast<int>(p.flags),
        static_cast<int>(p.showCmd),
        {p.ptMinPosition.x, p.ptMinPosition.y},
        {p.ptMaxPosition.x, p.ptMaxPosition.y},
        {p.rcNormalPosition.left, p.rcNormalPosition.top, p.rcNormalPosition.right, p.rcNormalPosition.bottom}};
}

void TWindowSettingsTarget::SetPlacement(const TPlacement& placement) {
    WINDOWPLACEMENT p{};
    p.length = sizeof p;
    p.flags = static_cast<UINT>(placement.flags);
    p.showCmd = static_cast<UINT>(placement.showCmd);
    p.ptMinPosition = {placement.minPosition.x, placement.minPosition.y};
    p.ptMaxPosition = {placement.maxPosition.x, placement.maxPosition.y};
    const TRect& n = placement.normalPosition;
    p.rcNormalPosition = {n.left, n.top, n.right, n.bottom};
    // A placement the system refuses (say, flags it does not know) leaves the window where it is.
    ::SetWindowPlacement(window_, &p);
}

// The state changes are posted: the store also runs while the window is being shown, and showing
// it again from inside that would nest one show in another.
void TWindowSettingsTarget::SetWindowState(settings::TWindowState state) {
    WPARAM command = 0;
    switch (state) {
    case settings::TWindowState::Normal:
        command = (::IsIconic(window_) || ::IsZoomed(window_)) ? SC_RESTORE : 0;
        break;
    case settings::TWindowState::Minimized:
        command = ::IsIconic(window_) ? 0 : SC_MINIMIZE;
        break;
    case settings::TWindowState::Maximized:
        command = ::IsZoomed(window_) ? 0 : SC_MAXIMIZE;
        break;
    }
    if (command != 0) {
        ::PostMessageW(window_, WM_SYSCOMMAND, command, 0);
    }
}

void TWindowSettingsTarget::MinimizeApplication() {
    ::PostMessageW(window_, WM_SYSCOMMAND, SC_MINIMIZE, 0);
}

// The system's setting, fixed for the life of a process that is not aware of its monitors'
// settings; asked once, since the screen's DC is costly to get under Wine.
int TWindowSettingsTarget::PixelsPerInch() const {
    static const int pixelsPerInch = [] {
        const ScopedGetDc screen{nullptr};
        return screen.get() != nullptr ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
    }();
    return pixelsPerInch;
}

int TWindowSettingsTarget::ScreenWidth() const {
    return ::GetSystemMetrics(SM_CXSCREEN);
}

int TWindowSettingsTarget::ScreenHeight() const {
    return ::GetSystemMetrics(SM_CYSCREEN);
}

HWND TWindowSettingsTarget::TextComponent(std::string_view name) const {
    const std::size_t dot = name.find('.');
    if (dot != std::string_view::npos && AsciiLower(name.substr(dot + 1)) == "text") {
        for (const auto& [component, handle] : components_) {
            if (AsciiLower(component) == AsciiLower(name.substr(0, dot)) && ::IsWindow(handle)) {
                return handle;
            }
        }
    }
    throw QuellixError{std::string{name} + " は保存できるプロパティではありません"};
}

std::string TWindowSettingsTarget::Property(std::string_view name) const {
    HWND control = TextComponent(name);
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(control)) + 1, L'\0');
    const int length = ::GetWindowTextW(control, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
    // The file keeps code page 932: a text that does not survive it (a directory typed with é or
    // 𠮷) raises, so the key keeps its stored value instead of a look-alike of the text.
    std::optional<std::string> exact = ExactSjisFromWide(text);
    if (!exact) {
        throw QuellixError{UnusableDirectoryText(SjisFromWide(text))};
    }
    return std::move(*exact);
}

void TWindowSettingsTarget::SetProperty(std::string_view name, const std::string& value) {
    ::SetWindowTextW(TextComponent(name), WideFromSjis(value).c_str());
}

} // namespace quellix
