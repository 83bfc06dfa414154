// The settings store's view of a real window: its placement, show state, the screen it is on, and
// the text of its named child windows.
#pragma once

#include "support/settings_store.h"

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace quellix {

class TWindowSettingsTarget final : public TSettingsTarget {
public:
    // `components`: the child windows whose "Text" may be stored, by component name. The window is
    // the program's main window: its taskbar entry is the application's.
    TWindowSettingsTarget(HWND window, std::vector<std::pair<std::string, HWND>> components);

    [[nodiscard]] std::string ClassName() const override;
    [[nodiscard]] bool Exists() const override;
    [[nodiscard]] bool IsVisible() const override;
    [[nodiscard]] bool IsResizable() const override;
    [[nodiscard]] bool IsMainWindow() const override { return true; }
    [[nodiscard]] bool ApplicationMinimized() const override;
    [[nodiscard]] TPlacement Placement() const override;
    void SetPlacement(const TPlacement& placement) override;
    void SetWindowState(settings::TWindowState state) override;
    void MinimizeApplication() override;
    [[nodiscard]] int PixelsPerInch() const override;
    [[nodiscard]] int ScreenWidth() const override;
    [[nodiscard]] int ScreenHeight() const override;
    [[nodiscard]] std::string Property(std::string_view name) const override;
    void SetProperty(std::string_view name, const std::string& value) override;

private:
    [[nodiscard]] HWND TextComponent(std::string_view name) const;

    HWND window_;
    std::vector<std::pair<std::string, HWND>> components_;
};

} // namespace quellix
