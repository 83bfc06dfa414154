// The table file format: what the writer produces byte for byte, and how leniently the reader
// takes whatever a file holds.
#include "channels/channel_tables.h"
#include "channels/csv_table_format.h"
#include "table_test_support.h"

#include <gtest/gtest.h>

namespace quellix {
namespace {

using namespace std::string_literals;
using table_test::RecordsOf;
using table_test::Row;
using table_test::Rows;
using table_test::RowsOf;

constexpr std::nullopt_t N = std::nullopt;
const std::string kChNoHeader = "\"ToolName\",\"TVChannel\",\"TVChannelNo\",\r\n";

struct ReadCase {
    const char* name;
    std::string text;
    Rows expected;
};

TEST(TableFormat, ReadsTableTVChNoFiles) {
    const TCsvTable table = CreateTableTVChNo();
    const ReadCase cases[] = {
        {"written form",
         kChNoHeader + "\"deck\",\"Station A\",\"27\",\r\n\"deck\",\"Station B\",,\r\n",
         {{"deck", "Station A", "27"}, {"deck", "Station B", N}}},
        {"labels in another order",
         "\"TVChannelNo\",\"ToolName\",\"TVChannel\",\r\n\"27\",\"deck\",\"A\",\r\n",
         {{"deck", "A", "27"}}},
        {"field name instead of label leaves the column unbound",
         "\"VideoDeckName\",\"TVChannel\",\"TVChannelNo\",\r\n\"deck\",\"A\",\"27\",\r\n",
         {{N, "A", "27"}}},
        {"label case ignored",
         "\"toolname\",\"tvchannel\",\"TvChannelNo\",\r\n\"deck\",\"A\",\"27\",\r\n",
         {{"deck", "A", "27"}}},
        {"null header value binds by position",
         ",\"TVChannel\",\"TVChannelNo\",\r\n\"deck\",\"A\",\"27\",\r\n",
         {{"deck", "A", "27"}}},
        {"null header value past the last field binds nothing",
         "\"ToolName\",\"TVChannel\",\"TVChannelNo\",,\r\n\"deck\",\"A\",\"27\",\"x\",\r\n",
         {{"deck", "A", "27"}}},
        {"LF only",
         "\"ToolName\",\"TVChannel\",\"TVChannelNo\",\n\"d\",\"A\",\"1\",\n\"d\",\"B\",\"2\",\n",
         {{"d", "A", "1"}, {"d", "B", "2"}}},
        {"CR only",
         "\"ToolName\",\"TVChannel\",\"TVChannelNo\",\r\"d\",\"A\",\"1\",\r\"d\",\"B\",\"2\",\r",
         {{"d", "A", "1"}, {"d", "B", "2"}}},
        {"blank lines and NUL bytes between lines",
         "\r\n\r\n" + kChNoHeader + "\r\n\n\r\"d\",\"A\",\"1\",\r\n\0\0\r\n\"d\",\"B\",\"2\",\r\n\r\n"s,
         {{"d", "A", "1"}, {"d", "B", "2"}}},
        {"no line end after the last line",
         kChNoHeader + "\"d\",\"A\",\"1\",\r\n\"d\",\"B\",\"2\",",
         {{"d", "A", "1"}, {"d", "B", "2"}}},
        {"short line leaves the rest null", kChNoHeader + "\"d\",\r\n", {{"d", N, N}}},
        {"long line ignores the rest", kChNoHeader + "\"d\",\"A\",\"1\",\"x\",\"y\",\r\n", {{"d", "A", "1"}}},
        {"line of commas is an all-null record", kChNoHeader + ",,,\r\n", {{N, N, N}}},
        // As a spreadsheet saves a table: quotes only around a value holding a comma, a quote or
        // a line break, doubled inside; labels unquoted too; an empty value is null.
        {"unquoted values and labels read as their text",
         "ToolName,TVChannel,TVChannelNo\r\ndeck,A B,27\r\n\"d,1\",\"say \"\"hi\"\"\",7\r\n,x\"y,%%5\r\n\"d\",7\r\n",
         {{"deck", "A B", "27"}, {"d,1", "say \"hi\"", "7"}, {N, "x\"y", "%5"}, {"d", "7", N}}},
        {"blanks before a quote skipped, and around other text", kChNoHeader + " \"d\", A,\t\r\n", {{"d", "A", N}}},
        {"blanks typed between a closing quote and the comma",
         kChNoHeader + "\"d\" ,\"A\"\t, \"1\" \r\n",
         {{"d", "A", "1"}}},
        {"blanks inside quotes kept", kChNoHeader + "\" d \",\"\t\",\r\n", {{" d ", "\t", N}}},
        {"a cell of blanks is null", kChNoHeader + "d, ,1\r\n", {{"d", N, "1"}}},
        {"one byte after a closing quote is consumed", kChNoHeader + "\"deck\"x,\"A\",\r\n", {{"deck", N, "A"}}},
        {"open quote runs to the line end", kChNoHeader + "\"deck\",\"A,B\r\n", {{"deck", "A,B", N}}},
        {"quotes and percent codes decoded",
         kChNoHeader + "\"a\"\"b%%c\",\"x%cy%nz\",\"12%03\",\r\n",
         {{"a\"b%c", "x\ry\nz", "12%03"}}}, // no value holds a NUL, so "%0" is never written: kept
        {"unknown percent codes kept", kChNoHeader + "\"%x%\",\"%%%\",\"%C\",\r\n", {{"%x%", "%%", "%C"}}},
        {"value cut to the field size inside a double-byte character",
         kChNoHeader + "\"d\",\"12345678901234567890123456789表\",\"1\",\r\n",
         {{"d", "12345678901234567890123456789\x95", "1"}}},
        {"double-byte values unchanged", kChNoHeader + "\"表示\",\"ソ\\\",\"１２\",\r\n", {{"表示", "ソ\\", "１２"}}},
        {"header only", kChNoHeader, {}},
        {"empty file", "", {}},
        {"header without values", "header\r\n\"d\",\"A\",\"1\",\r\n", {{N, N, N}}},
    };
    for (const ReadCase& c : cases) {
        EXPECT_EQ(RowsOf(ParseTableText(c.text, table.FieldDefs())), c.expected) << c.name;
    }
}

// A file comes in blocks, and a line may span two, or a character: any split reads the same, in
// every encoding, and a reader is ready for the next file once it has finished one.
TEST(TableFormat, ReadsTheSameWhereverTheBlocksSplitTheText) {
    const TCsvTable table = CreateTableTVChNo();
    const std::string text = kChNoHeader + "\"deck\",\"表示\",\"27\",\r\nd,\"x\"\"y\",\r\n\r\n\"e\",,\"1\"";
    const Rows expected = {{"deck", "表示", "27"}, {"d", "x\"y", N}, {"e", N, "1"}};
    const std::u8string utf8 = u8"\"ToolName\",\"TVChannel\",\"TVChannelNo\",\r\n\"deck\",\"表示\",\"27\",\r\nd,"
                               u8"\"x\"\"y\",\r\n\r\n\"e\",,\"1\"";
    TableTextReader reader{table.FieldDefs()};
    for (const std::string& file :
         {text, std::string{utf8.begin(), utf8.end()}, "\xEF\xBB\xBF" + std::string{utf8.begin(), utf8.end()}}) {
        for (std::size_t split = 0; split <= file.size(); ++split) {
            reader.Feed(std::string_view{file}.substr(0, split));
            reader.Feed(std::string_view{file}.substr(split));
            EXPECT_EQ(RowsOf(reader.Finish()), expected) << split;
        }
    }
}

// What a file holds that the table cannot keep, so that a save would drop it.
TEST(TableFormat, NotesWhatTheTableCannotKeep) {
    const TCsvTable table = CreateTableTVChNo();
    const std::string long31(31, 'x');
    const struct {
        const char* name;
        std::string text;
        std::vector<std::string> columns;
        std::size_t dropped;
        std::vector<std::size_t> longValues;
        bool header;
    } cases[] = {
        {"the program's own file", kChNoHeader + "\"d\",\"A\",,\r\n", {}, 0, {0, 0, 0}, true},
        {"a column the table lacks; null values are no loss",
         "\"ToolName\",\"Memo\",\"TVChannel\",\r\n\"d\",\"m\",\"A\",\r\n\"d\",,\"B\",\r\n",
         {"Memo"},
         1,
         {0, 0, 0},
         true},
        {"a second column for a field", "ToolName,toolname,TVChannel\r\nd,e,A\r\n", {"toolname"}, 1, {0, 0, 0}, true},
        {"values past the header's columns", kChNoHeader + "\"d\",\"A\",\"1\",\"x\",,y\r\n", {}, 2, {0, 0, 0}, true},
        {"a null header value past the last field",
         kChNoHeader.substr(0, 37) + ",\r\n\"d\",\"A\",\"1\",\"x\",\r\n",
         {},
         1,
         {0, 0, 0},
         true},
        {"values longer than their field",
         kChNoHeader + "\"d\",\"" + long31 + "\",\"1\",\r\nd," + long31 + ",\r\n\"d\",\"" + long31.substr(1) +
             "\",,\r\n",
         {},
         0,
         {0, 2, 0},
         true},
        {"nothing but line ends", "\r\n\r\n", {}, 0, {0, 0, 0}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TableTextReader reader{table.FieldDefs()};
        reader.Feed(c.text);
        TableTextNotes notes;
        const TableRecords records = reader.Finish(&notes);
        EXPECT_EQ(notes.loss.unknownColumns, c.columns);
        EXPECT_EQ(notes.loss.droppedValues, c.dropped);
        EXPECT_EQ(notes.loss.longValues, c.longValues);
        EXPECT_EQ(notes.header, c.header);
        const bool lost = !c.columns.empty() || c.dropped > 0 || c.longValues != std::vector<std::size_t>{0, 0, 0};
        EXPECT_EQ(TableLossText("t.csv", table.FieldDefs(), notes.loss).empty(), !lost);
        if (!records.Empty()) { // the first column that names a field keeps its value
            EXPECT_EQ(records.Get(0, 0), std::optional<std::string_view>{"d"});
        }
    }
}

TEST(TableFormat, WritesTheExactFileForm) {
    const TCsvTable tv = CreateTableTV();
    EXPECT_EQ(FormatTableText(tv.FieldDefs(), RecordsOf({{"Station A", "Station A2"}}, 2)),
              "\"元のTV局名\",\"新しいTV局名\",\r\n\"Station A\",\"Station A2\",\r\n");

    const TCsvTable chNo = CreateTableTVChNo();
    EXPECT_EQ(FormatTableText(chNo.FieldDefs(), RecordsOf({{"deck", "Station A", "27"}, {"deck", "Station B", N}}, 3)),
              kChNoHeader + "\"deck\",\"Station A\",\"27\",\r\n\"deck\",\"Station B\",,\r\n");

    const struct {
        const char* name;
        Row row;
        std::string line;
    } cases[] = {
        {"all null", {N, N, N}, ",,,\r\n"},
        {"null versus empty", {"", N, ""}, "\"\",,\"\",\r\n"},
        {"quote doubled, percent coded", {"a\"b%c", "\"", "%"}, "\"a\"\"b%%c\",\"\"\"\",\"%%\",\r\n"},
        {"line breaks and NUL coded", {"x\r\ny", "\n\r", "a\0b"s}, "\"x%c%ny\",\"%n%c\",\"a%0b\",\r\n"},
        {"double-byte bytes as they are", {"表示", "ソ\\", "，"}, "\"表示\",\"ソ\\\",\"，\",\r\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatTableText(chNo.FieldDefs(), RecordsOf({c.row}, 3)), kChNoHeader + c.line) << c.name;
    }
}

// The channel tables' fields are short, but the writer takes any: a line coded to more than a
// piece (64 KiB) comes out whole, and the lines around it too.
TEST(TableFormat, WritesALineLongerThanOnePiece) {
    const TFieldDef fields[] = {{"A", "A", 1 << 20}, {"B", "B", 1 << 20}};
    const std::string percents(40000, '%'); // coded to 80,000 bytes
    const std::string plain(70000, 'x');
    const Rows rows = {{"c", "d"}, {percents, "a\"b"}, {plain, N}, {"e", "\r\n"}};
    std::string text;
    std::size_t pieces = 0;
    EXPECT_TRUE(WriteTableText(fields, RecordsOf(rows, 2), [&](std::string_view bytes) {
        text.append(bytes);
        ++pieces;
        return true;
    }));
    EXPECT_EQ(text, "\"A\",\"B\",\r\n\"c\",\"d\",\r\n\"" + std::string(80000, '%') + "\",\"a\"\"b\",\r\n\"" + plain +
                        "\",,\r\n\"e\",\"%c%n\",\r\n");
    EXPECT_GE(pieces, 3U);
    EXPECT_EQ(RowsOf(ParseTableText(text, fields)), rows);
    std::size_t calls = 0; // a failed write ends the writing
    EXPECT_FALSE(WriteTableText(fields, RecordsOf(rows, 2), [&](std::string_view) { return ++calls, false; }));
    EXPECT_EQ(calls, 1U);
}

TEST(TableFormat, WrittenValuesReadBackUnchanged) {
    const TCsvTable table = CreateTableTVChNo();
    const Rows rows = {
        {"a\"b%c", "x\r\ny", ""},
        {N, "%0%c%n%%", "\"\""},
        {"表示\\ソ", ",", "a,b\",\""},
        {N, N, N},
        {"", "", ""},
        // Long values are looked at eight bytes at a time: a byte to code at every place of a word.
        {"xxxxxxxx\"yyyyyyyyy", "aaaaaaa\nbbbbbbbbbb", "0123456789abcdef%g"},
    };
    const std::string text = FormatTableText(table.FieldDefs(), RecordsOf(rows, 3));
    EXPECT_EQ(RowsOf(ParseTableText(text, table.FieldDefs())), rows);
    // No value breaks its line: one CR LF per record plus the header's.
    std::size_t lineEnds = 0;
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) {
        ++lineEnds;
    }
    EXPECT_EQ(lineEnds, rows.size() + 1);
    EXPECT_EQ(text.find_first_of("\r\n"), text.find("\r\n"));
}

TEST(TableFormat, CompleteTextIsExactlyWhatTheWriterProduces) {
    const TCsvTable table = CreateTableTVChNo();
    const std::string text =
        FormatTableText(table.FieldDefs(), RecordsOf({{"deck", "A", "1"}, {"deck", "B", N}, {"x", "y", "z"}}, 3));
    EXPECT_TRUE(IsCompleteTableText(text, table.FieldDefs()));
    EXPECT_TRUE(IsCompleteTableText(kChNoHeader, table.FieldDefs()));
    for (std::size_t length = 0; length < text.size(); ++length) {
        const std::string prefix = text.substr(0, length);
        // A cut right after a line end still reads as a (shorter) complete table.
        const bool atLineEnd = length >= kChNoHeader.size() && prefix.ends_with("\r\n");
        EXPECT_EQ(IsCompleteTableText(prefix, table.FieldDefs()), atLineEnd) << length;
    }
    EXPECT_FALSE(IsCompleteTableText(text + "\0\0"s, table.FieldDefs()));
    EXPECT_FALSE(IsCompleteTableText("\"toolname\",\"TVChannel\",\"TVChannelNo\",\r\n", table.FieldDefs()));
    EXPECT_FALSE(IsCompleteTableText(kChNoHeader + "deck,A,1,\r\n", table.FieldDefs()));
}

TEST(TableFormat, StoredTextCutsAtNulThenToSize) {
    EXPECT_EQ(StoredText("abc\0def"s, 10), "abc");
    EXPECT_EQ(StoredText("abcdef", 4), "abcd");
    EXPECT_EQ(StoredText("表示", 3), "\x95\x5c\x8e");
    EXPECT_EQ(StoredText("", 3), "");
}

} // namespace
} // namespace quellix
