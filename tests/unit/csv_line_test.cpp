#include "app/csv_line.h"

#include <gtest/gtest.h>

namespace quellix {
namespace {

using Fields = std::vector<std::string>;

struct SplitCase {
    std::string_view line;
    Fields expected;
};

TEST(SplitCsvLine, SplitsQuotedAndPlainFields) {
    const SplitCase cases[] = {
        {"a,b,c", {"a", "b", "c"}},
        {"\"a\",\"b\"", {"a", "b"}},
        {"\"a\"\"b\",c", {"a\"b", "c"}},
        {"\"a\"\",b\",c", {"a\",b", "c"}},
        {"\"a\"\"\",b", {"a\"", "b"}},
        {"\"a\"\",b\"\"\",c", {"a\",b\"", "c"}},
        {"\"\",x", {"", "x"}},
        {" a , b ", {"a", "b"}},
        {"\" a \",b", {"a", "b"}}, // quoted fields are trimmed too
        {"abc", {"abc"}},
        {"", {""}},
        {",", {"", ""}},
        {"a,,b,", {"a", "", "b", ""}},
        {"\"abc\"", {"abc"}},
        {"x,\"a\"\"b\"", {"x", "a\"\"b"}}, // the last field keeps its doubled quotes
        {"x,\"a\"\"", {"x", "a\""}},
        {"\"", {""}},
        {"\"\"", {""}},
        {"\"表示\",\"ソ\"", {"表示", "ソ"}},
        {"\"C:\\Program Files\\x.exe /t \"\"ニュース\"\" /ch 21\",\"2009/03/01 21:00:00\"",
         {"C:\\Program Files\\x.exe /t \"ニュース\" /ch 21", "2009/03/01 21:00:00"}},
    };
    Fields fields{"stale"};
    for (const auto& c : cases) {
        SplitCsvLine(c.line, fields);
        EXPECT_EQ(fields, c.expected) << c.line;
    }
}

TEST(SplitCsvLine, ReadsAQuotedLastFieldWithACommaWithoutAnExtraField) {
    const SplitCase cases[] = {
        {"x,\"a,b\"", {"x", "a,b"}},
        {"x,\"a,b\" ", {"x", "a,b"}},
        {"\"a,b", {"a,b"}}, // no closing quote at all
        {"x,\"a\"\",b\"", {"x", "a\",b"}},
        {"x,\"a,\"\"b\"\"\"", {"x", "a,\"b\""}},
        // A quoted field ending in a doubled quote and a comma is complete; the empty last
        // field after it stays.
        {"\"a\"\",", {"a\",", ""}},
    };
    Fields fields;
    for (const auto& c : cases) {
        SplitCsvLine(c.line, fields);
        EXPECT_EQ(fields, c.expected) << c.line;
    }
}

} // namespace
} // namespace quellix
