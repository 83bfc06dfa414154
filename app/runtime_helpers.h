// Small run-time helpers of the import run: the environment and the temporary directory, text
// files opened with retries, and names made unique against the file system.
#pragma once

#include "support/os.h"

#include <functional>
#include <string>

namespace quellix {

// A text file bound to a name; `Handle` is open after a successful OpenFor...Retry.
struct TTextFile {
    std::string Name;
    os::File Handle;
};

// The value of an environment variable (name not case-sensitive on Windows), trimmed; empty
// when the variable is not set.
[[nodiscard]] std::string GetEnvVar(const std::string& name);

// The "temp" environment variable with a trailing backslash; "\" when it is not set.
[[nodiscard]] std::string GetTempDir();

// What runs between two attempts of OpenFor...Retry.
using RetryWait = std::function<void()>;

// Opens an existing file for reading (other readers allowed, writers denied). Makes `retries`
// + 1 attempts (0 means one attempt), waiting one minute with WaitMinutes between two of them;
// a failed last attempt returns false at once. The reason of a failure is dropped.
[[nodiscard]] bool OpenForReadRetry(TTextFile& file, int retries);
// The same with the wait between attempts supplied by the caller.
[[nodiscard]] bool OpenForReadRetry(TTextFile& file, int retries, const RetryWait& wait);

// Creates the file, or empties it when it exists, for writing (other readers allowed, writers
// denied), with the same attempts and waits as OpenForReadRetry.
[[nodiscard]] bool OpenForWriteRetry(TTextFile& file, int retries);
[[nodiscard]] bool OpenForWriteRetry(TTextFile& file, int retries, const RetryWait& wait);

// `name` when no file of that name exists, otherwise the first of "name(1).ext", "name(2).ext",
// ... that does not exist (the extension is the part from the last "." after the last "\" or
// ":"; a name without one gets the number at its end). Relative names are taken from the current
// directory.
[[nodiscard]] std::string MakeUniqueName(const std::string& name);

} // namespace quellix
