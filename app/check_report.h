// The check's report: the facts of a would-be import run, each line a fact and its verdict (OK,
// 注意 for something to look at, 問題 for something to mend, with what to do), the summary on top.
#pragma once

#include "app/check_facts.h"

#include <string>
#include <string_view>

namespace quellix {

inline constexpr std::string_view kCheckReportName = "quellix-check.txt";

// The whole report in Shift_JIS, every line ended by CR LF.
[[nodiscard]] std::string BuildCheckReport(const CheckFacts& facts);

} // namespace quellix
