#include "app/runtime_helpers.h"

#include "support/text.h"
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

std::string GetEnvVar(const std::string& name) {
    return Trim(os::ReadEnvironment(name).value_or(std::string{}));
}

std::string GetTempDir() {
    return IncludeTrailingBackslash(GetEnvVar("temp"));
}

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

std::string MakeUniqueName(const std::string& name) {
    const std::size_t dot = LastDelimiter(name, ".\\:");
    const bool hasExtension = dot != std::string::npos && name[dot] == '.';
    const std::string stem = hasExtension ? name.substr(0, dot) : name;
    const std::string extension = hasExtension ? name.substr(dot) : std::string{};
    std::string result = name;
    for (long long n = 1; os::FileExists(result); ++n) {
        result = stem + "(" + std::to_string(n) + ")" + extension;
    }
    return result;
}

} // namespace quellix
