// TSettingsStore: keeps the owning window's position, its show state and some of its properties
// (such as the text of a field) in one section of an initialization file, one key at a time. The
// window is reached through TSettingsTarget, so the same rules run in the program and in tests.
#pragma once

#include "support/settings_values.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quellix {

struct TPoint {
    int x = 0;
    int y = 0;
};

struct TRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// The window-placement record: flags, show command, minimized and maximized positions and the
// normal rectangle.
struct TPlacement {
    int flags = 0;
    int showCmd = 0;
    TPoint minPosition;
    TPoint maxPosition;
    TRect normalPosition;
};

// The show command "hide": applying a placement with it leaves a hidden window hidden.
inline constexpr int kShowCmdHide = 0;
// The show command a save records while the application is minimized.
inline constexpr int kShowCmdMinimized = 2;

// What the store needs of the window that owns it.
class TSettingsTarget {
public:
    TSettingsTarget() = default;
    TSettingsTarget(const TSettingsTarget&) = delete;
    TSettingsTarget& operator=(const TSettingsTarget&) = delete;
    virtual ~TSettingsTarget() = default;

    // The window's class name: the section when none is set.
    [[nodiscard]] virtual std::string ClassName() const = 0;
    [[nodiscard]] virtual bool Exists() const = 0;
    [[nodiscard]] virtual bool IsVisible() const = 0;
    // False for a window whose border does not allow resizing: only its position is restored.
    [[nodiscard]] virtual bool IsResizable() const = 0;
    [[nodiscard]] virtual bool IsMainWindow() const = 0;
    [[nodiscard]] virtual bool ApplicationMinimized() const = 0;
    [[nodiscard]] virtual TPlacement Placement() const = 0;
    virtual void SetPlacement(const TPlacement& placement) = 0;
    virtual void SetWindowState(settings::TWindowState state) = 0;
    virtual void MinimizeApplication() = 0;
    [[nodiscard]] virtual int PixelsPerInch() const = 0;
    [[nodiscard]] virtual int ScreenWidth() const = 0;
    [[nodiscard]] virtual int ScreenHeight() const = 0;
    // A stored property such as "PdigiDir.Text"; raise QuellixError for one they do not know.
    [[nodiscard]] virtual std::string Property(std::string_view name) const = 0;
    virtual void SetProperty(std::string_view name, const std::string& value) = 0;
};

class TSettingsStore {
public:
    struct TOptions {
        bool position = true;
        bool state = true;
    };

    std::string IniFileName;
    std::string IniSection; // empty: the class name of the owning window
    bool Active = true;
    TOptions Options;
    int Version = 0;
    std::vector<std::string> StoredProps; // "Component.Property"

    void SetTarget(std::unique_ptr<TSettingsTarget> target) { target_ = std::move(target); }

    // Reads the file and applies it to the window. Never fails for a missing file, section or key.
    void RestoreSettings();
    // Writes the file when a read has taken place before or the store is inactive. Raises
    // QuellixError "<file> に書き込めません" at the first key that cannot be written.
    void SaveSettings();

    // The owning window's notifications.
    void CloseAccepted();    // a close request was accepted: write while active
    void WindowDestroying(); // destroyed: write while active and nothing was written since the last read

    [[nodiscard]] bool Restored() const noexcept { return restored_; }
    [[nodiscard]] bool Saved() const noexcept { return saved_; }

private:
    [[nodiscard]] std::string Section() const;
    [[nodiscard]] std::string ReadString(std::string_view key, const std::string& fallback) const;
    [[nodiscard]] int ReadInteger(std::string_view key, int fallback) const;
    void WriteStrings(const std::vector<std::pair<std::string, std::string>>& keysAndValues) const;
    void RestorePosition();
    void RestoreState();
    void RestoreProperties();

    std::unique_ptr<TSettingsTarget> target_;
    // While a restore runs: the file's bytes, read once for all its keys (nullopt: no file).
    const std::optional<std::string>* content_ = nullptr;
    bool restored_ = false;
    bool saved_ = false;
    bool destroying_ = false;
};

} // namespace quellix
