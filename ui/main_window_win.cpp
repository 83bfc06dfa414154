#include "ui/main_window_win.h"

#include "app/command_line.h"
#include "support/cp932_win.h"
#include "support/errors.h"
#include "support/message_pump_win.h"
#include "support/registry_win.h"
#include "support/text.h"
#include "ui/main_window_layout.h"
#include "ui/progress_bar_win.h"

#include <commctrl.h>

namespace quellix {

namespace {

constexpr UINT kFirstActivation = WM_APP + 1;

UniqueHfont MakeFont(int height) {
    return UniqueHfont{::CreateFontW(-height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                     DEFAULT_PITCH | FF_DONTCARE, WideFromSjis(layout::kFormFontName).c_str())};
}

void DrawLabel(HDC dc, const layout::Bounds& b, const std::string& text, COLORREF color, UINT format) {
    RECT rect{b.left, b.top, b.left + b.width, b.top + b.height};
    const std::wstring wide = WideFromSjis(text);
    ::SetTextColor(dc, color);
    ::DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &rect, format | DT_NOPREFIX);
}

} // namespace

TFormPdigi::TFormPdigi(HINSTANCE instance, std::vector<std::string> arguments)
    : instance_{instance}, controller_{*this,
                                       {LogFile1, {TableTV, TableTVChNo, TableTVChData}, run_, FReserveDir},
                                       std::move(arguments)} {}

TFormPdigi::~TFormPdigi() {
    if (window_ != nullptr) {
        ::DestroyWindow(window_);
    }
}

bool TFormPdigi::CreateAndShow(HWND applicationWindow, int showCommand) {
    applicationWindow_ = applicationWindow;
    const std::wstring className = WideFromSjis(layout::kWindowClass);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &TFormPdigi::WindowProc;
    windowClass.hInstance = instance_;
    windowClass.hIcon = ::LoadIconW(instance_, L"MAINICON");
    windowClass.hIconSm = windowClass.hIcon; // as the application window's
    windowClass.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = className.c_str();
    if (::RegisterClassExW(&windowClass) == 0) {
        return false;
    }
    // Designed with a fixed single border and a title bar; the window region takes both away at
    // creation (ApplyWindowRegion), keeping the client area's size.
    constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    RECT frame{0, 0, layout::kClientWidth, layout::kClientHeight};
    ::AdjustWindowRectEx(&frame, kStyle, FALSE, WS_EX_CONTROLPARENT);
    ::CreateWindowExW(WS_EX_CONTROLPARENT, className.c_str(), WideFromSjis(layout::kCaption).c_str(), kStyle,
                      layout::kInitialLeft, layout::kInitialTop, frame.right - frame.left, frame.bottom - frame.top,
                      applicationWindow_, nullptr, instance_, this);
    if (window_ == nullptr) {
        return false;
    }
    ::ShowWindow(window_, showCommand);
    ::UpdateWindow(window_);
    // The first activation may not come as WM_ACTIVATE when another program has the foreground.
    ::PostMessageW(window_, kFirstActivation, 0, 0);
    return true;
}

void TFormPdigi::Destroy() {
    if (window_ != nullptr) {
        ::DestroyWindow(window_);
    }
}

LRESULT TFormPdigi::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        CreateControls();
        FormCreate();
        return 0;
    case WM_ACTIVATE:
        OnActivate(LOWORD(wParam) != WA_INACTIVE);
        break;
    case WM_SETFOCUS:
        RestoreFocus();
        return 0;
    case WM_SETCURSOR:
        // Sent before the move that brought the pointer reaches the control under it, so the
        // hints, which watch the controls' own messages, see that move already.
        CreateHints();
        break;
    case WM_DRAWITEM:
        DrawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case kFirstActivation:
        FormActivate();
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_NCHITTEST: {
        // The whole surface drags the window; child windows get their own hit tests.
        const LRESULT hit = ::DefWindowProcW(window_, message, wParam, lParam);
        return hit == HTCLIENT ? HTCAPTION : hit;
    }
    case WM_PAINT:
        WMPaint();
        return 0;
    case WM_ERASEBKGND:
        return 1; // WMPaint draws everything
    case WM_CLOSE:
        Close();
        return 0;
    case WM_DESTROY:
        SaveSettingsOnDestroy();
        FormDestroy();
        window_ = nullptr;
        return 0;
    default:
        break;
    }
    return ::DefWindowProcW(window_, message, wParam, lParam);
}

void TFormPdigi::OnActivate(bool active) {
    if (!active) {
        const HWND focus = ::GetFocus();
        lastFocus_ = focus != nullptr && ::IsChild(window_, focus) ? focus : nullptr;
    } else if (!FActivated) {
        ::PostMessageW(window_, kFirstActivation, 0, 0);
    }
}

// As a dialog does: the focus goes back to the control that had it, or to the first control in
// tab order (Stop, while Pause is disabled).
void TFormPdigi::RestoreFocus() {
    const HWND target = lastFocus_ != nullptr && ::IsWindowEnabled(lastFocus_)
                            ? lastFocus_
                            : ::GetNextDlgTabItem(window_, nullptr, FALSE);
    if (target != nullptr) {
        ::SetFocus(target);
    }
}

void TFormPdigi::CreateControls() {
    formFont_ = MakeFont(layout::kFormFontHeight);
    labelFont_ = MakeFont(layout::kLabelFontHeight);
    const auto create = [&](const wchar_t* cls, const std::string& text, DWORD style, const layout::Bounds& b, int id,
                            DWORD exStyle = 0) {
        HWND control = ::CreateWindowExW(exStyle, cls, WideFromSjis(text).c_str(), WS_CHILD | WS_VISIBLE | style,
                                         b.left, b.top, b.width, b.height, window_,
                                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(formFont_.get()), FALSE);
        return control;
    };
    // Created in tab order.
    RegisterProgressBarClass(instance_);
    HWND progress =
        create(kProgressBarClass, "", 0, layout::kProgressBar1, layout::kIdProgressBar1, kProgressBarExStyle);
    ::SendMessageW(progress, PBM_SETRANGE32, 0, 100);
    create(L"BUTTON", layout::kButtonPauseText, WS_TABSTOP | BS_OWNERDRAW | WS_DISABLED, layout::kButtonPause,
           layout::kIdButtonPause);
    create(L"BUTTON", layout::kButtonStopText, WS_TABSTOP | BS_OWNERDRAW, layout::kButtonStop, layout::kIdButtonStop);
    create(L"BUTTON", layout::kButtonSkipText, WS_TABSTOP | BS_OWNERDRAW | WS_DISABLED, layout::kButtonSkip,
           layout::kIdButtonSkip);
    create(L"BUTTON", layout::kButtonPlayText, WS_TABSTOP | BS_OWNERDRAW | WS_DISABLED, layout::kButtonPlay,
           layout::kIdButtonPlay);
    create(L"BUTTON", "", WS_TABSTOP | BS_OWNERDRAW, layout::kButtonHome, layout::kIdButtonHome);
    create(L"BUTTON", "", WS_TABSTOP | BS_OWNERDRAW, layout::kButtonAbout, layout::kIdButtonAbout);
    create(L"EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL | WS_BORDER, layout::kPdigiDir, layout::kIdPdigiDir);
    create(L"BUTTON", "", WS_TABSTOP | BS_OWNERDRAW, layout::kButtonFile, layout::kIdButtonFile);
    SetupButtonLooks();
}

void TFormPdigi::EnableControl(int id, bool enabled) const noexcept {
    ::EnableWindow(Control(id), enabled);
}

void TFormPdigi::EnableRunButton(RunButton button, bool enabled) {
    if (window_ == nullptr) {
        return;
    }
    constexpr int kIds[]{layout::kIdButtonPlay, layout::kIdButtonPause, layout::kIdButtonSkip,
                         layout::kIdButtonStop}; // in the order of RunButton
    EnableControl(kIds[static_cast<std::size_t>(button)], enabled);
}

int TFormPdigi::FocusedButton() const noexcept {
    const HWND focus = ::GetFocus();
    wchar_t className[8]{};
    if (focus == nullptr || ::GetParent(focus) != window_ || ::GetClassNameW(focus, className, 8) == 0 ||
        ::lstrcmpiW(className, L"BUTTON") != 0) {
        return 0;
    }
    return ::GetDlgCtrlID(focus);
}

bool TFormPdigi::ControlEnabled(int id) const noexcept {
    return ::IsWindowEnabled(Control(id)) != FALSE;
}

void TFormPdigi::SetStatusText(std::string text) {
    label1Text_ = std::move(text);
    RECT rect{layout::kLabel1.left, layout::kLabel1.top, layout::kLabel1.left + layout::kLabel1.width,
              layout::kLabel1.top + layout::kLabel1.height};
    ::InvalidateRect(window_, &rect, FALSE);
}

void TFormPdigi::SetProgress(int position) {
    ::SendMessageW(Control(layout::kIdProgressBar1), PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void TFormPdigi::PumpMessages() {
    quellix::PumpMessages();
}

void TFormPdigi::HideSettingLabel() {
    labelSettingVisible_ = false;
    ::InvalidateRect(window_, nullptr, FALSE);
}

std::wstring TFormPdigi::ChannelDirText() const {
    HWND field = Control(layout::kIdPdigiDir);
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(field)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(field, text.data(), static_cast<int>(text.size()))));
    return text;
}

void TFormPdigi::SetChannelDirText(const std::wstring& text) {
    ::SetWindowTextW(Control(layout::kIdPdigiDir), text.c_str());
}

void TFormPdigi::WMPaint() {
    PAINTSTRUCT paint{};
    HDC dc = ::BeginPaint(window_, &paint);
    PaintBackground(dc);
    ::SetBkMode(dc, TRANSPARENT);
    {
        const ScopedSelectObject font{dc, labelFont_.get()};
        DrawLabel(dc, layout::kLabel1, label1Text_, RGB(0, 0, 0), DT_LEFT | DT_TOP);
        layout::Bounds shadow = layout::kRxLabel1;
        shadow.left -= 1;
        shadow.top -= 1;
        DrawLabel(dc, shadow, layout::kRxLabel1Text, ::GetSysColor(COLOR_BTNHIGHLIGHT), DT_LEFT | DT_TOP);
        DrawLabel(dc, layout::kRxLabel1, layout::kRxLabel1Text, RGB(0, 0, 128), DT_LEFT | DT_TOP);
    }
    if (labelSettingVisible_) {
        const ScopedSelectObject font{dc, formFont_.get()};
        DrawLabel(dc, layout::kLabelSetting, layout::kLabelSettingText, ::GetSysColor(COLOR_WINDOWTEXT),
                  DT_LEFT | DT_TOP | DT_SINGLELINE);
    }
    ::EndPaint(window_, &paint);
}

void TFormPdigi::OnCommand(int id, int code) {
    if (code != BN_CLICKED) {
        return;
    }
    if (id == IDCANCEL) { // Esc: the first enabled cancel button, Stop before Skip
        id = ControlEnabled(layout::kIdButtonStop)   ? layout::kIdButtonStop
             : ControlEnabled(layout::kIdButtonSkip) ? layout::kIdButtonSkip
                                                     : 0;
    } else if (id == IDOK) { // Enter: the focused button; in the directory field nothing
        id = FocusedButton();
    }
    if (id == 0 || !ControlEnabled(id)) {
        return; // a disabled button's handler is never reached
    }
    switch (id) {
    case layout::kIdButtonPlay:
        ButtonPlayClick();
        break;
    case layout::kIdButtonPause:
        ButtonPauseClick();
        break;
    case layout::kIdButtonSkip:
        ButtonSkipClick();
        break;
    case layout::kIdButtonStop:
        ButtonStopClick();
        break;
    case layout::kIdButtonHome:
        ButtonHomeClick();
        break;
    case layout::kIdButtonAbout:
        ButtonAboutClick();
        break;
    case layout::kIdButtonFile:
        ButtonFileClick();
        break;
    default:
        break;
    }
}

void TFormPdigi::AppException(const std::exception& error) noexcept {
    AppException(std::string{error.what()});
}

void TFormPdigi::AppException(const std::string& message) noexcept {
    controller_.AppException(message);
}

std::string TFormPdigi::GetRootDir() const {
    // A missing key or value, or a value that is not a string, leaves the root directory empty.
    const auto key = RegistryKeyReader::OpenCurrentUser("software\\Morvane\\Pexlan2\\etc");
    const std::optional<std::wstring> root = key ? key->ReadExpandedString("RootPath") : std::nullopt;
    if (!root) {
        return {};
    }
    // A name that code page 932 cannot hold is taken by its short name, the same directory. Without
    // one it keeps a "?" for each such character: the log, which lies there, cannot tell it, and
    // no file can be written under that name, so none goes elsewhere either.
    return SjisPathFromWide(*root).value_or(SjisFromWide(*root));
}

void TFormPdigi::FormCreate() {
    rootDir_ = GetRootDir();
    TableTV.SetFilePath(RootFile(rootDir_, kTableTVFileName));
    TableTVChNo.SetFilePath(RootFile(rootDir_, kTableTVChNoFileName));
    TableTVChData.SetFilePath(RootFile(rootDir_, kTableTVChDataFileName));
    SetupSettingsStore();
    ApplyWindowRegion();
    run_.FStopRequested = false;
}

} // namespace quellix
