// RunView: what the run controller needs of the window that shows the run. The window implements
// it; the controller never sees a control.
#pragma once

#include <string>

namespace quellix {

enum class RunButton { Play, Pause, Skip, Stop };

class RunView {
public:
    RunView() = default;
    RunView(const RunView&) = delete;
    RunView& operator=(const RunView&) = delete;

    [[nodiscard]] virtual std::string StatusText() const = 0; // Label1
    virtual void SetStatusText(std::string text) = 0;
    virtual void SetProgress(int position) = 0; // ProgressBar1, 0 to 100
    // Does nothing once the window is gone.
    virtual void EnableRunButton(RunButton button, bool enabled) = 0;
    // Dispatches the window's waiting messages, so the buttons act inside a loop.
    virtual void PumpMessages() = 0;
    virtual void HideSettingLabel() = 0; // LabelSetting, hidden for an import run
    // The channel-file directory field (PdigiDir), as the system holds its text.
    [[nodiscard]] virtual std::wstring ChannelDirText() const = 0;
    virtual void SetChannelDirText(const std::wstring& text) = 0;
    // Asks the window to close; it goes once the running handler has unwound.
    virtual void Close() = 0;

protected:
    ~RunView() = default;
};

} // namespace quellix
