// Text files bound to a name and opened with retries: what the channel-file import and the import
// run both use to open their files.
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

} // namespace quellix
