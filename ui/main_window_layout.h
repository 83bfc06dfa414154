// The main window's design: size, controls with their positions (left, top, width, height in
// client pixels), captions and identifiers. Texts are Shift_JIS.
#pragma once

namespace quellix::layout {

struct Bounds {
    int left, top, width, height;
};

inline constexpr int kClientWidth = 445;
inline constexpr int kClientHeight = 183;
inline constexpr int kInitialLeft = 309;
inline constexpr int kInitialTop = 149;

inline constexpr const char* kWindowClass = "TFormPdigi";
inline constexpr const char* kApplicationTitle = "Quellix";
inline constexpr const char* kCaption = "ちょいテレ読み込み中...";
inline constexpr const char* kFormFontName = "ＭＳ Ｐゴシック";
inline constexpr int kFormFontHeight = 12;
inline constexpr int kLabelFontHeight = 16;

// Drawn on the window's own surface.
inline constexpr Bounds kLabel1{24, 48, 345, 25};
inline constexpr Bounds kRxLabel1{8, 16, 140, 16};
inline constexpr Bounds kLabelSetting{16, 56, 186, 12};
inline constexpr const char* kRxLabel1Text = "Quellix";
inline constexpr const char* kLabelSettingText = "ちょいテレチャンネル設定ディレクトリ";

// Child windows, in tab order.
enum ControlId : int {
    kIdProgressBar1 = 100,
    kIdButtonPause,
    kIdButtonStop,
    kIdButtonSkip,
    kIdButtonPlay,
    kIdButtonHome,
    kIdButtonAbout,
    kIdPdigiDir,
    kIdButtonFile,
};

inline constexpr Bounds kProgressBar1{10, 104, 425, 12};
inline constexpr Bounds kButtonPause{320, 138, 81, 25};
inline constexpr Bounds kButtonStop{232, 136, 81, 27};
inline constexpr Bounds kButtonSkip{145, 138, 81, 25};
inline constexpr Bounds kButtonPlay{56, 138, 81, 25};
inline constexpr Bounds kButtonHome{368, 48, 25, 25};
inline constexpr Bounds kButtonAbout{392, 48, 25, 25};
inline constexpr Bounds kPdigiDir{16, 72, 305, 20};
inline constexpr Bounds kButtonFile{328, 64, 25, 25};

inline constexpr const char* kButtonPauseText = "一時停止";
inline constexpr const char* kButtonStopText = "停止";
inline constexpr const char* kButtonSkipText = "スキップ";
inline constexpr const char* kButtonPlayText = "再開";
inline constexpr const char* kButtonHomeHint = "ホームページを開きます";
inline constexpr const char* kButtonAboutHint = "バージョン情報を表示します";

} // namespace quellix::layout
