// TLogFile: the plain-text log pex.log. Every line is a complete open, append, flush and close,
// so the log is whole on disk at every moment; runs are framed by start and end records.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace quellix {

class TLogFile {
public:
    TLogFile() = default;
    TLogFile(const TLogFile&) = delete;
    TLogFile& operator=(const TLogFile&) = delete;
    ~TLogFile();

    [[nodiscard]] bool Active() const noexcept { return active_; }
    // true: becomes active, then writes a start record (again when already active);
    // false: writes the end record while still active, then becomes inactive.
    void SetActive(bool value);

    [[nodiscard]] const std::string& LogFileName() const noexcept { return logFileName_; }
    void SetLogFileName(std::string name) { logFileName_ = std::move(name); }

    // Appends one plain or error line. False when the log is inactive or its name blank; raises
    // IoError when the line cannot be written.
    bool WriteLog(std::string_view text, bool isError);

    // Lines for a run that must leave no trace: from now on WriteLog hands each line to `sink` and
    // writes nothing (also when inactive).
    using Sink = std::function<void(std::string_view text, bool isError)>;
    void RedirectTo(Sink sink) { sink_ = std::move(sink); }

private:
    void WriteStart();
    void WriteEnd() noexcept;
    [[nodiscard]] bool NameIsBlank() const;

    bool active_ = false;
    std::string logFileName_;
    Sink sink_;
};

} // namespace quellix
