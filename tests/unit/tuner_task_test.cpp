#include "app/csv_line.h"
#include "app/task_listing.h"
#include "app/tuner_task.h"
#include "tests/shared/task_listing_rows.h"

#include <gtest/gtest.h>

namespace quellix {
namespace {

using testing::ListingHeader;
using testing::ListingRow;
using testing::Quotes;
using testing::TunerCommand;
using Fields = std::vector<std::string>;

DateTime At(int year, int month, int day, int hour, int minute) {
    return *TryEncodeDate(year, month, day) + *TryEncodeTime(hour, minute, 0);
}

// The reservation that a listing row gives, read as the harvest reads a listing after its header.
struct Read {
    bool tunerTask = false;
    bool hasNextRun = false;
    std::optional<TaskOutcome> stopped;
    TReservation reservation;
};

Read ReadRow(const std::string& row) {
    TaskListingReader reader;
    EXPECT_FALSE(reader.ReadTunerTask(ListingHeader()));
    Read result;
    const std::optional<ListedTask> task = reader.ReadTunerTask(row);
    result.tunerTask = task.has_value();
    if (task) {
        result.stopped = ReadTunerTask(*task, result.reservation);
        result.hasNextRun = !result.stopped;
    }
    return result;
}

TEST(ReadTunerTask, CutsTitleStartEndAndChannelFromTheCommandLine) {
    struct Case {
        const char* what;
        std::string nextRun;
        std::string command;
        std::string title;
        DateTime start;
        DateTime end;
        std::string channel;
        std::string fileName;
    };
    const DateTime nine = At(2009, 3, 1, 21, 0);
    const std::string exe = "\"C:\\Program Files\\BUFFALO\\PCastDigi\\PcastDigi.exe\" ";
    const Case cases[] = {
        {"the usual task", "2009/03/01 21:00:00", exe + "/t \"News\",\"x\" /ch 21 /time 30 /powerman ", "News",
         nine + kOneMinute, nine + 30 * kOneMinute, "21", "20090301210121.tvpi"},
        {"switches in upper case", "2009/03/01 21:00:00", exe + "/T \"News\",\"x\" /CH 21 /TIME 30 /POWERMAN", "News",
         nine + kOneMinute, nine + 30 * kOneMinute, "21", "20090301210121.tvpi"},
        {"a three-digit channel gives its first two digits", "2009/03/01 21:00:00",
         exe + "/t \"News\",\"x\" /ch 123 /time 30 /powerman ", "News", nine + kOneMinute, nine + 30 * kOneMinute, "12",
         "20090301210112.tvpi"},
        {"a one-digit channel is zero-padded in the file name", "2009/03/01 21:00:00",
         exe + "/t \"News\",\"x\" /ch 8 /time 30 /powerman ", "News", nine + kOneMinute, nine + 30 * kOneMinute, "8",
         "20090301210108.tvpi"},
        {"duration 0 ends at the next run time", "2009/03/01 21:00:00",
         exe + "/t \"News\",\"x\" /ch 21 /time 0 /powerman ", "News", nine + kOneMinute, nine, "21",
         "20090301210121.tvpi"},
        {"no /powerman reads as duration 0", "2009/03/01 21:00:00", exe + "/t \"News\",\"x\" /ch 21 /time 30", "News",
         nine + kOneMinute, nine, "21", "20090301210121.tvpi"},
        {"the older time-first next run", "21:00:00, 2009/03/01", exe + "/t \"News\",\"x\" /ch 21 /time 30 /powerman ",
         "News", nine + kOneMinute, nine + 30 * kOneMinute, "21", "20090301210121.tvpi"},
        {"a start at 23:59 ends the next day", "2009/03/01 23:59:00",
         exe + "/t \"深夜便\",\"x\" /ch 04 /time 90 /powerman ", "深夜便", At(2009, 3, 2, 0, 0), At(2009, 3, 2, 1, 29),
         "04", "20090302000004.tvpi"},
        {"titles with 0x5C trail bytes", "2009/03/01 21:00:00",
         exe + "/t \" 表示ソフト \",\"x\" /ch 21 /time 30 /powerman ", "表示ソフト", nine + kOneMinute,
         nine + 30 * kOneMinute, "21", "20090301210121.tvpi"},
        {"no title switch", "2009/03/01 21:00:00", "PcastDigi.exe /ch 21 /time 30 /powerman ", "", nine + kOneMinute,
         nine + 30 * kOneMinute, "21", "20090301210121.tvpi"},
        {"no channel switch", "2009/03/01 21:00:00", "PcastDigi.exe /t \"a\",\"b\" /time 30 /powerman", "a",
         nine + kOneMinute, nine + 30 * kOneMinute, "st", "20090301210100.tvpi"},
        // The title's text steals no switch, neither in the title nor in the value after it.
        {"a channel switch in the title", "2009/03/01 21:00:00", TunerCommand("MUSIC/CH 8 LIVE", "21", 30),
         "MUSIC/CH 8 LIVE", nine + kOneMinute, nine + 30 * kOneMinute, "21", "20090301210121.tvpi"},
        {"time switches in the title", "2009/03/01 21:00:00", TunerCommand("SHOW/TIME 90 /POWERMAN", "21", 30),
         "SHOW/TIME 90 /POWERMAN", nine + kOneMinute, nine + 30 * kOneMinute, "21", "20090301210121.tvpi"},
        {"a title with quotes and a switch", "2009/03/01 21:00:00", TunerCommand("say \"hi\" /ch 9", "21", 30),
         "say \"hi\" /ch 9", nine + kOneMinute, nine + 30 * kOneMinute, "21", "20090301210121.tvpi"},
        {"a subtitle with a switch", "2009/03/01 21:00:00",
         exe + "/t \"A\",\"B /ch 9 /time 5 /powerman\" /ch 21 /time 30 /powerman ", "A", nine + kOneMinute,
         nine + 30 * kOneMinute, "21", "20090301210121.tvpi"},
        {"a switch right after the repeated title", "2009/03/01 21:00:00",
         exe + "/t \"A\",\"A\"/ch 21 /time 30 /powerman ", "A", nine + kOneMinute, nine + 30 * kOneMinute, "21",
         "20090301210121.tvpi"},
        // Without `/t "` the title runs from the fourth character to the first `","`.
        {"a quoted pair without a title switch", "2009/03/01 21:00:00",
         "PcastDigi.exe \"a\",\"b\" /ch 21 /time 30 /powerman ", "stDigi.exe \"a", nine + kOneMinute,
         nine + 30 * kOneMinute, "21", "20090301210121.tvpi"},
        {"switches before the title", "2009/03/01 21:00:00",
         exe + "/ch 21 /time 30 /powerman /t \"/ch 9\",\"/ch 9\" /x", "/ch 9", nine + kOneMinute,
         nine + 30 * kOneMinute, "21", "20090301210121.tvpi"},
    };
    for (const auto& c : cases) {
        for (const Quotes quotes : {Quotes::Doubled, Quotes::AsIs}) {
            const Read read = ReadRow(ListingRow("\\PCastTV\\Rec", c.nextRun, c.command, quotes));
            const std::string what = std::string{c.what} + (quotes == Quotes::AsIs ? " (quotes as they are)" : "");
            ASSERT_TRUE(read.tunerTask) << what;
            EXPECT_TRUE(read.hasNextRun) << what;
            const TReservation& r = read.reservation;
            EXPECT_EQ(r.Title, c.title) << what;
            EXPECT_NEAR(r.StartTime, c.start, 1e-9) << what;
            EXPECT_NEAR(r.EndTime, c.end, 1e-9) << what;
            EXPECT_EQ(r.Channel, c.channel) << what;
            EXPECT_EQ(ReservationFileName("C:\\Host\\reserve\\表示\\", r), "C:\\Host\\reserve\\表示\\" + c.fileName)
                << what;
            EXPECT_TRUE(r.Station.empty()) << what;
        }
    }
}

TEST(ReadTunerTask, ATaskWithoutNextRunGivesNoReservation) {
    for (const char* nextRun :
         {"N/A", "該当なし", "", "Nicht zutreffend", "Disabled", "無効", "Never", "At system start up"}) {
        const Read read = ReadRow(ListingRow("\\t", nextRun, TunerCommand("表示", "21", 30)));
        ASSERT_TRUE(read.tunerTask) << nextRun;
        EXPECT_EQ(read.stopped, TaskOutcome::NoNextRun) << nextRun;
        EXPECT_EQ(read.reservation.Title, "表示") << nextRun; // for the log line
    }
    EXPECT_TRUE(HasNextRunDate("2009/03/01 21:00:00"));
    EXPECT_TRUE(HasNextRunDate("21:00:00, 2009/03/01"));
    EXPECT_FALSE(HasNextRunDate("N/A"));
}

// A row of another program with its start folder (field 9) and comment (field 10), its double
// quotes printed as they are.
std::string WithComment(std::string_view command, std::string_view startIn, std::string_view comment) {
    Fields fields;
    SplitCsvLine(ListingRow("\\Backup", "2009/03/01 21:00:00", command), fields);
    fields[9] = startIn;
    fields[10] = comment;
    return testing::QuotedFields({fields.begin(), fields.end()}, Quotes::AsIs);
}

TEST(CommandProgramName, IsTheFileNameOfTheProgramWindowsStarts) {
    const struct {
        std::string_view command;
        std::string_view name;
    } cases[] = {
        {"\"C:\\Program Files\\BUFFALO\\PCastDigi\\PcastDigi.exe\" /t \"a\",\"a\"", "PcastDigi.exe"},
        {"  C:\\PROGRA~1\\BUFFALO\\PcastDigi.exe /t \"a\"", "PcastDigi.exe"},
        {"C:\\Program Files (x86)\\BUFFALO\\PcastDigi.exe /ch 21", "PcastDigi.exe"},
        // The splitter's form when only the arguments' quotes were doubled: the opening quote lost.
        {"C:\\Program Files\\BUFFALO\\PcastDigi.exe\" /t \"a\",\"a\"", "PcastDigi.exe"},
        {"%windir%\\system32\\defrag.exe -c", "defrag.exe"},
        {"C:\\Tools\\backup /x C:\\y", "y"},
        {"cmd /c C:\\PcastDigi.exe", "cmd"},
        {"\"C:\\unclosed\\PcastDigi.exe", "PcastDigi.exe"},
        {"C:\\表\\ソ.exe /x", "ソ.exe"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CommandProgramName(c.command), c.name) << c.command;
    }
}

TEST(TaskListingReader, PicksOnlyTheTunersTasks) {
    struct Case {
        const char* what;
        std::string line;
        bool tunerTask;
    };
    const Case cases[] = {
        {"header line", ListingHeader(), false},
        {"blank line", "", false},
        {"another program", ListingRow("\\Backup", "2009/03/01 21:00:00", "C:\\backup.exe /all"), false},
        {"program name in lower case",
         ListingRow("\\t", "2009/03/01 21:00:00", TunerCommand("a", "21", 30, "pcastdigi.exe")), true},
        {"program name in another field only", ListingRow("\\PcastDigi.exe", "2009/03/01", "notepad.exe"), false},
        // Another program's comment naming the recorder, its quotes printed as they are: the
        // closing quotes run into the next columns, and the command line's column takes the start
        // folder and the comment in.
        {"a comment naming the recorder",
         WithComment("C:\\Tools\\backup.exe \"D:\\TV\"", "\"D:\\TV\"", "copies PcastDigi.exe /ch 21 recordings"),
         false},
        {"a comment with quotes naming the recorder",
         WithComment("\"C:\\Tools\\backup.exe\" /all", "C:\\", "after \"PcastDigi.exe\", \"x\" ends"), false},
        {"the recorder as another program's argument",
         ListingRow("\\b", "2009/03/01", "C:\\Tools\\backup.exe \"C:\\BUFFALO\\PcastDigi.exe\" /t \"a\",\"a\" /ch 21"),
         false},
        {"the recorder started through cmd",
         ListingRow("\\b", "2009/03/01", "cmd /c C:\\BUFFALO\\PcastDigi.exe /ch 21"), false},
        {"a folder named as the recorder", ListingRow("\\b", "2009/03/01", "C:\\PcastDigi.exe\\run.exe /ch 21"), false},
        {"an unquoted path with blanks",
         ListingRow("\\t", "2009/03/01", "C:\\Program Files\\BUFFALO\\PCastDigi\\PCASTDIGI.EXE /t \"a\",\"a\" /ch 21"),
         true},
        {"fewer than ten fields", "\"h\",\"t\",\"2009/03/01 21:00:00\",\"s\",\"l\",\"r\",\"0\",\"a\",\"PcastDigi.exe\"",
         false},
        {"ten fields", "\"h\",\"t\",\"2009/03/01 21:00:00\",\"s\",\"l\",\"r\",\"0\",\"a\",\"PcastDigi.exe\",\"x\"",
         true},
        {"a tuner task", ListingRow("\\t", "2009/03/01 21:00:00", TunerCommand("a", "21", 30)), true},
    };
    for (const auto& c : cases) {
        TaskListingReader reader;
        EXPECT_FALSE(reader.ReadTunerTask(""));
        EXPECT_FALSE(reader.ReadTunerTask(ListingHeader()));
        EXPECT_EQ(reader.ReadTunerTask(c.line).has_value(), c.tunerTask) << c.what;
    }
    // A listing that starts with a task (no header) still reads that task, and the tasks after a
    // line of another program whose quotes were not doubled read as their own.
    TaskListingReader reader;
    EXPECT_TRUE(reader.ReadTunerTask(ListingRow("\\t", "2009/03/01", TunerCommand("a", "21", 30))));
    EXPECT_FALSE(reader.ReadTunerTask(
        ListingRow("\\Backup", "2009/03/01", "\"C:\\backup.exe\" /t \"x\",\"y\" /all", Quotes::AsIs)));
    const std::optional<ListedTask> task =
        reader.ReadTunerTask(ListingRow("\\t", "2009/03/01 21:00:00", TunerCommand("News", "22", 30), Quotes::AsIs));
    ASSERT_TRUE(task);
    TReservation reservation;
    EXPECT_FALSE(ReadTunerTask(*task, reservation));
    EXPECT_EQ(reservation.Title, "News");
    EXPECT_EQ(reservation.Channel, "22");
}

TEST(TaskListingReader, AHeaderSeenAgainTakesTheCommandLineColumnAgain) {
    using testing::Language;
    using testing::Layout;
    const std::string row = ListingRow(Layout::Xp, "\\t", "21:00:00, 2009/03/01", TunerCommand("a", "21", 30));
    TaskListingReader reader;
    EXPECT_FALSE(reader.ReadTunerTask(ListingHeader(Layout::Vista, Language::English)));
    EXPECT_FALSE(reader.ReadTunerTask(row)); // field 8 is the schedule here
    EXPECT_FALSE(reader.ReadTunerTask(ListingHeader(Layout::Xp, Language::English)));
    const std::optional<ListedTask> xpTask = reader.ReadTunerTask(row);
    ASSERT_TRUE(xpTask);
    EXPECT_EQ(xpTask->NextRun, "21:00:00, 2009/03/01");
    EXPECT_EQ(xpTask->CommandLine, TunerCommand("a", "21", 30).substr(0, TunerCommand("a", "21", 30).size() - 1));

    // A header that puts the command line's column at field 10, at field 6, or right after the
    // next run time.
    const auto commandAt = [](const std::string& line, std::size_t field, Quotes quotes = Quotes::Doubled) {
        Fields split;
        SplitCsvLine(line, split);
        const auto eight = split.begin() + kCommandLineField;
        if (field > kCommandLineField) {
            split.insert(eight, field - kCommandLineField, "x");
        } else {
            split.erase(eight - static_cast<std::ptrdiff_t>(kCommandLineField - field), eight);
        }
        return testing::QuotedFields({split.begin(), split.end()}, quotes);
    };
    const std::string command = TunerCommand("News", "22", 30);
    for (const std::size_t field : {10U, 6U, 3U}) {
        EXPECT_FALSE(reader.ReadTunerTask(commandAt(ListingHeader(), field)));
        EXPECT_EQ(reader.CommandField(), field);
        for (const Quotes quotes : {Quotes::Doubled, Quotes::AsIs}) {
            SCOPED_TRACE(field);
            const std::optional<ListedTask> task =
                reader.ReadTunerTask(commandAt(ListingRow("\\t", "2009/03/01 21:00:00", command), field, quotes));
            ASSERT_TRUE(task);
            EXPECT_EQ(task->NextRun, "2009/03/01 21:00:00");
            TReservation reservation;
            EXPECT_FALSE(ReadTunerTask(*task, reservation));
            EXPECT_EQ(reservation.Title, "News");
            EXPECT_EQ(reservation.Channel, "22");
        }
    }
}

TEST(SplitListingLine, TakesTheCommandLineWholeWhenItsQuotesWereNotDoubled) {
    const std::string command = TunerCommand("News", "21", 30);
    const std::string asIs = ListingRow("\\t", "2009/03/01 21:00:00", command, Quotes::AsIs);
    Fields plain;
    SplitCsvLine(asIs, plain);
    ASSERT_GT(plain.size(), 28U); // the splitter alone cuts the command line apart

    Fields mended;
    SplitListingLine(asIs, 28, mended);
    Fields doubled;
    SplitCsvLine(ListingRow("\\t", "2009/03/01 21:00:00", command, Quotes::Doubled), doubled);
    ASSERT_EQ(doubled.size(), 28U);
    EXPECT_EQ(mended, doubled);
    EXPECT_EQ(mended[kCommandLineField], "\"C:\\Program Files\\BUFFALO\\PCastDigi\\PcastDigi.exe\" /t "
                                         "\"News\",\"News\" /ch 21 /time 30 /powerman");

    // The form in which only the arguments' quotes are doubled splits into the header's count and
    // keeps the splitter's result.
    const std::string argumentsDoubled =
        "\"h\",\"\\t\",\"2009/03/01 21:00:00\",\"s\",\"l\",\"r\",\"0\",\"a\","
        "\"C:\\Program Files\\BUFFALO\\PCastDigi\\PcastDigi.exe\" /t \"\"News\"\",\"\"x\"\" /ch 21 /time 30 "
        "/powerman\",\"C:\\\",\"N/A\"";
    Fields expected;
    SplitCsvLine(argumentsDoubled, expected);
    ASSERT_EQ(expected.size(), 11U);
    EXPECT_EQ(expected[8], "C:\\Program Files\\BUFFALO\\PCastDigi\\PcastDigi.exe\" /t \"News\",\"x\" /ch 21 /time 30 "
                           "/powerman");
    SplitListingLine(argumentsDoubled, 11, mended);
    EXPECT_EQ(mended, expected);

    // More fields than the header, but a header too short to have a command line: left alone.
    SplitListingLine("a,b,c,d", 3, mended);
    EXPECT_EQ(mended, (Fields{"a", "b", "c", "d"}));
    // Nor is a line whose command line would be the last column.
    SplitListingLine("a,b,c,d,e,f,g,h,i,j,k", 10, mended, 9);
    EXPECT_EQ(mended, (Fields{"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k"}));
    // One column after the command line is enough to find where it ends.
    SplitListingLine("a,b,c,d,e,f,g,h,i,j,k", 10, mended, 8);
    EXPECT_EQ(mended, (Fields{"a", "b", "c", "d", "e", "f", "g", "h", "i,j", "k"}));
}

TEST(CsvFieldStarts, FollowsTheSplitter) {
    const std::string_view lines[] = {"a,b,c",
                                      "\"a\",\"b\"",
                                      "\"a\"\"b\",c",
                                      "\"a\"\",b\",c",
                                      "\"a\"\"\",b",
                                      "\"a\"\",b\"\"\",c",
                                      "\"\",x",
                                      " a , b ",
                                      "abc",
                                      "",
                                      ",",
                                      "a,,b,",
                                      "x,\"a,b\"",
                                      "\"a,b",
                                      "\"a\"\",",
                                      "x,\"a\"\",b\"",
                                      "\"\"\",\",\"\"\","};
    const std::vector<std::vector<std::size_t>> expected = {{0, 2, 4}, {0, 4}, {0, 7}, {0, 8}, {0, 6}, {0, 10},
                                                            {0, 3},    {0, 4}, {0},    {0},    {0, 1}, {0, 2, 3, 5},
                                                            {0, 2},    {0},    {0, 5}, {0, 2}, {0, 10}};
    ASSERT_EQ(std::size(lines), expected.size());
    Fields fields;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SplitCsvLine(lines[i], fields);
        EXPECT_EQ(CsvFieldStarts(lines[i]), expected[i]) << lines[i];
        EXPECT_EQ(CsvFieldStarts(lines[i]).size(), fields.size()) << lines[i];
    }
}

} // namespace
} // namespace quellix
