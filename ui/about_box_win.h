// TAboutForm: the About box. The program's icon, name, version and author from its own version
// resource, and links to the home page and the support board. Created once, shown modeless.
#pragma once

#include "support/unique_handle_win.h"
#include "ui/window_base_win.h"

#include <windows.h>

#include <string>

namespace quellix {

namespace about_layout {

inline constexpr int kClientWidth = 334;
inline constexpr int kClientHeight = 204;
inline constexpr COLORREF kBackground = RGB(240, 251, 255);
inline constexpr COLORREF kLabelColor = RGB(0, 0, 128); // navy
inline constexpr COLORREF kLinkColor = RGB(0, 0, 255);

enum ControlId : int {
    kIdLabelTitle = 200,
    kIdLabelVersion,
    kIdLabelCopyLeft,
    kIdLabel2,
    kIdLabel3,
    kIdLabel1,
    kIdLabel4,
    kIdBtnCancel = IDCANCEL,
};

} // namespace about_layout

// The icon as the box shows it: drawn at its natural 32 x 32 on the box's background colour
// (ImageSub), then stretched to 64 x 64 with every pixel doubled (ImageMain).
struct TIconImages {
    UniqueHbitmap ImageSub;
    UniqueHbitmap ImageMain;
};
[[nodiscard]] TIconImages MakeIconImages(HICON icon, COLORREF background);

class TAboutForm : public TWindowBase<TAboutForm> {
public:
    // Creates the (hidden) box, owned by `owner` (the application window), and fills it. It is
    // shown centred on `centreOn` (the main window).
    TAboutForm(HINSTANCE instance, HWND owner, HWND centreOn);
    TAboutForm(const TAboutForm&) = delete;
    TAboutForm& operator=(const TAboutForm&) = delete;
    ~TAboutForm();

    // Shows the box centred on the main window, modeless, and activates it.
    void Show();

private:
    friend class TWindowBase<TAboutForm>;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    HWND CreateLabel(int id, const std::string& text, int left, int top, bool link);
    void SetLabelText(int id, const std::string& text);
    [[nodiscard]] bool IsLink(HWND control) const noexcept;
    void WMPaint();

    void FormCreate();
    void BtnCancelClick();
    void Label3Click();
    void Label4Click();

    HINSTANCE instance_;
    HWND owner_;
    HWND centreOn_;
    HWND tooltip_ = nullptr;
    UniqueHbrush background_;
    UniqueHfont font_;
    UniqueHfont linkFont_;
    TIconImages icon_;
};

// The program-wide About box: made at the first call (owned by `owner`, centred on `centreOn`),
// the same one afterwards.
TAboutForm& AboutForm(HINSTANCE instance, HWND owner, HWND centreOn);

} // namespace quellix
