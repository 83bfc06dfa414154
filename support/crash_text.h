// The texts of the log line written when the program ends on a fault it cannot go on from.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quellix {

// What the system says of a fault (an exception no code handled).
struct CrashSite {
    std::uint32_t Code = 0;    // the exception code
    std::uint64_t Address = 0; // where it happened
    std::string Module;        // the file name of the module holding Address; empty when none does
    std::uint64_t ModuleBase = 0;
    // An access violation's kind (0 read, 1 write, 8 execute) and the address it tried; nullopt
    // for other exceptions.
    std::optional<std::uint32_t> AccessKind;
    std::uint64_t AccessAddress = 0;
};

// "異常終了します: 例外 0xC0000005 (アクセス違反: アドレス 0x0 の実行) 発生場所 quellix.exe+0x1A2B"
[[nodiscard]] std::string CrashText(const CrashSite& site);

// std::terminate: with the message of the exception no code caught, when there was one.
// `hadException` false means none was on its way (a pure virtual call, for one).
[[nodiscard]] std::string TerminateText(bool hadException, std::optional<std::string_view> message);

// abort() called.
[[nodiscard]] std::string AbortText();

} // namespace quellix
