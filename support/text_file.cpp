#include "support/text_file.h"

#include "support/wait.h"

namespace quellix {

namespace {

bool OpenWithRetry(TTextFile& file, int retries, const RetryWait& wait, os::OpenMode mode) {
    for (int attempt = 0; attempt <= retries; ++attempt) {
        file.Handle = os::OpenFile(file.Name, mode, os::Share::Read);
        if (file.Handle.IsOpen()) {
            return true;
        }
        if (attempt < retries && wait) {
            wait();
        }
    }
    return false;
}

void WaitOneMinute() {
    WaitMinutes(1.0);
}

} // namespace

bool OpenForReadRetry(TTextFile& file, int retries) {
    return OpenForReadRetry(file, retries, WaitOneMinute);
}

bool OpenForReadRetry(TTextFile& file, int retries, const RetryWait& wait) {
    return OpenWithRetry(file, retries, wait, os::OpenMode::ReadExisting);
}

bool OpenForWriteRetry(TTextFile& file, int retries) {
    return OpenForWriteRetry(file, retries, WaitOneMinute);
}

bool OpenForWriteRetry(TTextFile& file, int retries, const RetryWait& wait) {
    return OpenWithRetry(file, retries, wait, os::OpenMode::CreateAlways);
}

} // namespace quellix
