#include "support/log_file.h"

#include "support/errors.h"
#include "support/log_line.h"
#include "support/os.h"
#include "support/text.h"
#include "support/version_info.h"

namespace quellix {

namespace {

os::File OpenForAppend(const std::string& path) {
    // pex.log is the host's log too: a host that keeps it open while it waits for the plug-in
    // must not switch this log off, so others may read and write it meanwhile. Every line goes
    // out in one append, which the system puts at the end of the file whole. A brief hold (a
    // scanner opening the file without sharing) is waited out.
    return os::OpenFileWaitingOutHolds(path, os::OpenMode::AppendOrCreate, os::Share::ReadWrite);
}

} // namespace

TLogFile::~TLogFile() {
    if (active_) {
        WriteEnd();
    }
}

bool TLogFile::NameIsBlank() const {
    return Trim(logFileName_).empty();
}

void TLogFile::SetActive(bool value) {
    if (value) {
        active_ = true;
        WriteStart();
    } else {
        WriteEnd();
        active_ = false;
    }
}

void TLogFile::WriteStart() {
    if (!active_ || NameIsBlank()) {
        return;
    }
    if (logFileName_.find(':') == std::string::npos && logFileName_.front() != '\\') {
        logFileName_ = ExtractFilePath(os::ExecutablePath()) + logFileName_;
    }
    os::MakeDirectory(ExtractFilePath(logFileName_)); // usually exists already
    TVersion version;
    ReadVersionInfo(os::ExecutablePath(), version);
    const std::string record = LogStartLine(os::Now()) + "\r\n" + LogVersionLine(version.FileVersion) + "\r\n";
    os::File file = OpenForAppend(logFileName_);
    if (!file.IsOpen() || !file.Write(record) || !file.Close()) {
        SetActive(false); // a log that cannot take its start record switches itself off
    }
}

void TLogFile::WriteEnd() noexcept {
    if (NameIsBlank() || !active_) {
        return;
    }
    try {
        const os::LocalDateTime date = os::Now();
        const os::LocalDateTime time = os::Now();
        os::File file = OpenForAppend(logFileName_);
        if (file.IsOpen()) {
            (void)file.Write(LogEndLine(date, time) + "\r\n");
        }
    } catch (...) {
        // the end record is best effort: a failure here is silent
    }
}

bool TLogFile::WriteLog(std::string_view text, bool isError) {
    if (sink_) {
        sink_(text, isError);
        return true;
    }
    if (!active_ || NameIsBlank()) {
        return false;
    }
    os::File file = OpenForAppend(logFileName_);
    if (!file.IsOpen()) {
        ThrowLastIoError(logFileName_);
    }
    if (!file.Write(LogTextLine(logFileName_, text, isError) + "\r\n")) {
        ThrowLastIoError(logFileName_);
    }
    if (!file.Close()) {
        ThrowLastIoError(logFileName_);
    }
    return true;
}

} // namespace quellix
