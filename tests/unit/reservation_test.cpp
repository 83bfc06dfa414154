#include "app/reservation.h"

#include "tests/unit/temp_dir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>

namespace quellix {
namespace {

using testing_support::ReadAll;
using testing_support::TempDir;
using testing_support::WriteAll;

DateTime At(int year, int month, int day, int hour, int minute) {
    return *TryEncodeDate(year, month, day) + *TryEncodeTime(hour, minute, 0);
}

TReservation Make(std::string station, DateTime start, DateTime end, std::string title) {
    TReservation r;
    r.Station = std::move(station);
    r.Channel = "21";
    r.StartTime = start;
    r.EndTime = end;
    r.Title = std::move(title);
    return r;
}

std::string Lines(std::initializer_list<std::string_view> lines) {
    std::string out;
    for (const auto line : lines) {
        out += line;
        out += "\r\n";
    }
    return out;
}

constexpr std::string_view kContentType = "Content-type: application/x-tv-program-info; charset=shift_jis";

TEST(FormatReservationFile, WritesTheFourteenLinesByteForByte) {
    struct Case {
        const char* what;
        TReservation reservation;
        std::string expected;
    };
    const Case cases[] = {
        {"a plain evening programme", Make("TV Alpha", At(2009, 3, 1, 21, 1), At(2009, 3, 1, 21, 30), "News"),
         Lines({kContentType, "version: 1", "station: TV Alpha", "year: 2009", "month: 03", "date: 01", "start: 21:01",
                "end: 21:30", "program-title: News", "genre: 0", "", "", "  ", ""})},
        {"zero padding", Make("A", At(2010, 1, 9, 9, 5), At(2010, 1, 9, 10, 0), "x"),
         Lines({kContentType, "version: 1", "station: A", "year: 2010", "month: 01", "date: 09", "start: 09:05",
                "end: 10:00", "program-title: x", "genre: 0", "", "", "  ", ""})},
        {"an end after midnight keeps the start's date",
         Make("A", At(2009, 12, 31, 23, 31), At(2010, 1, 1, 0, 30), "Countdown"),
         Lines({kContentType, "version: 1", "station: A", "year: 2009", "month: 12", "date: 31", "start: 23:31",
                "end: 00:30", "program-title: Countdown", "genre: 0", "", "", "  ", ""})},
        {"empty title", Make("A", At(2009, 3, 1, 0, 0), At(2009, 3, 1, 0, 0), ""),
         Lines({kContentType, "version: 1", "station: A", "year: 2009", "month: 03", "date: 01", "start: 00:00",
                "end: 00:00", "program-title: ", "genre: 0", "", "", "  ", ""})},
        {"blank-padded texts are trimmed",
         Make(" \tＮＨＫ総合 ", At(2009, 3, 1, 21, 1), At(2009, 3, 1, 21, 30), "  News\t\r "),
         Lines({kContentType, "version: 1", "station: ＮＨＫ総合", "year: 2009", "month: 03", "date: 01",
                "start: 21:01", "end: 21:30", "program-title: News", "genre: 0", "", "", "  ", ""})},
        {"Shift_JIS with 0x5C trail bytes stays as it is",
         Make("ソフト放送", At(2009, 3, 1, 21, 1), At(2009, 3, 1, 21, 30), "表示テスト\\"),
         Lines({kContentType, "version: 1", "station: ソフト放送", "year: 2009", "month: 03", "date: 01",
                "start: 21:01", "end: 21:30", "program-title: 表示テスト\\", "genre: 0", "", "", "  ", ""})},
        // A station name from a hand-edited table may hold a line break: it must not forge a line.
        {"control bytes inside a value become blanks",
         Make("X\r\nstart: 04:00", At(2009, 3, 1, 21, 1), At(2009, 3, 1, 21, 30),
              std::string{"A\0B\x1A\x7F\x01"
                          "C",
                          7}),
         Lines({kContentType, "version: 1", "station: X  start: 04:00", "year: 2009", "month: 03", "date: 01",
                "start: 21:01", "end: 21:30", "program-title: A B   C", "genre: 0", "", "", "  ", ""})},
        // Byte by byte: a control byte or 0x7F after a lead byte is no trail byte and goes too;
        // the characters themselves keep both bytes (ソ and 表 end in 0x5C, ｱ is one byte).
        {"Shift_JIS around control bytes",
         Make("\x83\nソ", At(2009, 3, 1, 21, 1), At(2009, 3, 1, 21, 30), "表\x7F\x81\x7Fｱ\x1F\x81"),
         Lines({kContentType, "version: 1", "station: \x83 ソ", "year: 2009", "month: 03", "date: 01", "start: 21:01",
                "end: 21:30", "program-title: 表 \x81 ｱ \x81", "genre: 0", "", "", "  ", ""})},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatReservationFile(c.reservation), c.expected) << c.what;
    }

    TReservation described = Make("A", At(2009, 3, 1, 21, 1), At(2009, 3, 1, 21, 30), "x");
    described.Description = "  body ";
    described.Genre = -3;
    const std::string text = FormatReservationFile(described);
    EXPECT_NE(text.find("\r\ngenre: -3\r\n\r\nbody\r\n  \r\n\r\n"), std::string::npos) << text;
}

TEST(ClearReservation, EmptiesEveryField) {
    TReservation r = Make("A", 1.5, 2.5, "t");
    r.Description = "d";
    r.Reserved1 = r.Reserved2 = r.Reserved3 = r.Reserved5 = r.Reserved11 = r.Reserved14 = "x";
    r.Reserved4 = r.Reserved6 = r.Reserved7 = r.Reserved8 = r.Reserved9 = r.Reserved10 = r.Reserved12 = r.Reserved13 =
        r.Genre = 7;
    ClearReservation(r);
    const TReservation empty;
    EXPECT_EQ(FormatReservationFile(r), FormatReservationFile(empty));
    EXPECT_TRUE(r.Station.empty() && r.Channel.empty() && r.Title.empty() && r.Description.empty());
    EXPECT_TRUE(r.Reserved1.empty() && r.Reserved2.empty() && r.Reserved3.empty() && r.Reserved5.empty() &&
                r.Reserved11.empty() && r.Reserved14.empty());
    EXPECT_EQ(r.StartTime, 0.0);
    EXPECT_EQ(r.EndTime, 0.0);
    EXPECT_EQ(r.Reserved4 + r.Reserved6 + r.Reserved7 + r.Reserved8 + r.Reserved9 + r.Reserved10 + r.Reserved12 +
                  r.Reserved13 + r.Genre,
              0);
}

TEST(WriteReservationFile, NamesTheFileReplacesAnEarlierOneAndTellsOneItCannotCreate) {
    const TempDir folder;
    const std::string reserveDir = folder.File("");
    TReservation r = Make("TV Alpha", At(2009, 3, 1, 21, 1), At(2009, 3, 1, 21, 30), "News");
    WriteAll(folder.Native("20090301210121.tvpi"), std::string(4000, 'z'));
    const TaskBooking written = WriteReservationFile(r, reserveDir);
    EXPECT_EQ(written.Outcome, TaskOutcome::Written);
    EXPECT_EQ(written.FileName, folder.File("20090301210121.tvpi"));
    EXPECT_EQ(ReadAll(folder.Native("20090301210121.tvpi")), FormatReservationFile(r));

    // A name that is a second name of another file: that file is not written through it.
    r.Channel = "8";
    WriteAll(folder.Native("other.txt"), "unrelated");
    std::filesystem::create_hard_link(folder.Native("other.txt"), folder.Native("20090301210108.tvpi"));
    EXPECT_EQ(WriteReservationFile(r, reserveDir).Outcome, TaskOutcome::Written);
    EXPECT_EQ(ReadAll(folder.Native("20090301210108.tvpi")), FormatReservationFile(r));
    EXPECT_EQ(ReadAll(folder.Native("other.txt")), "unrelated");

    const TaskBooking missing = WriteReservationFile(r, folder.File("missing\\")); // the caller logs it
    EXPECT_EQ(missing.Outcome, TaskOutcome::FileNotCreated);
    EXPECT_EQ(missing.FileName, folder.File("missing\\20090301210108.tvpi"));
    EXPECT_NE(missing.ErrorCode, 0U);
    EXPECT_FALSE(std::filesystem::exists(folder.Native("missing")));
}

TEST(WriteReservationFile, WritesTheTitleEvenWhenAFileOfThatNameLiesInTheCurrentDirectory) {
    const TempDir folder;
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(folder.Native());
    WriteAll(folder.Native("News"), "unrelated");
    const TReservation r = Make("TV Alpha", At(2009, 3, 1, 21, 1), At(2009, 3, 1, 21, 30), " News ");
    EXPECT_EQ(WriteReservationFile(r, folder.File("")).Outcome, TaskOutcome::Written);
    std::filesystem::current_path(before);
    EXPECT_NE(ReadAll(folder.Native("20090301210121.tvpi")).find("\r\nprogram-title: News\r\n"), std::string::npos);
}

// The host must never take a reservation cut short: a file whose write fails goes again.
TEST(WriteReservationFile, AFileThatCannotBeWrittenWholeIsRemovedAndTold) {
    const TempDir folder;
    // A file-size limit below the file's size makes the write fail after the file was created.
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 0;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const TReservation r = Make("A", 1.0, 1.0, "t");
    const TaskBooking booking = WriteReservationFile(r, folder.File(""));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(booking.Outcome, TaskOutcome::FileNotWritten);
    EXPECT_EQ(booking.FileName, ReservationFileName(folder.File(""), r));
    EXPECT_NE(booking.ErrorCode, 0U);
    EXPECT_TRUE(std::filesystem::is_empty(folder.Native()));
}

} // namespace
} // namespace quellix
