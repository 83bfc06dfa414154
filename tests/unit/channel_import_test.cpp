// The channel-file import on real table files: renaming, updating the rows of one deck, the
// order in which the tables are opened and closed, and what is kept when a line fails.
#include "channels/channel_import.h"
#include "channels/channel_tables.h"
#include "support/errors.h"
#include "support/text.h"
#include "table_test_support.h"
#include "tests/unit/temp_dir.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace quellix {
namespace {

using table_test::Row;
using table_test::Rows;
using table_test::RowsOf;
using testing_support::TempDir;

const std::string kTVHeader = "\"元のTV局名\",\"新しいTV局名\",\r\n";
const std::string kChNoHeader = "\"ToolName\",\"TVChannel\",\"TVChannelNo\",\r\n";
const std::string kChDataHeader = "\"TVChannel\",\"TVChannelNo\",\"TVURL\",\r\n";

std::string CsvLines(const std::vector<std::vector<std::string>>& rows) {
    std::string text;
    for (const auto& row : rows) {
        for (const std::string& value : row) {
            text += "\"" + value + "\",";
        }
        text += "\r\n";
    }
    return text;
}

// The three tables on files in a scratch folder.
class ChannelImportTest : public testing::Test {
protected:
    void WriteTV(const std::vector<std::vector<std::string>>& rows) {
        dir.Write("tvconvert.csv", kTVHeader + CsvLines(rows));
    }
    void WriteChNo(const std::vector<std::vector<std::string>>& rows) {
        dir.Write("pexTVCHNo.csv", kChNoHeader + CsvLines(rows));
    }
    Rows ChNoRows() {
        TCsvTable table = CreateTableTVChNo(dir.File("pexTVCHNo.csv"));
        table.Open();
        return RowsOf(table.Records());
    }
    void Import(std::string_view deckName, std::string_view channelFile, const TRunControl& run = {}) {
        BytesLineSource lines{channelFile};
        RunChannelImport(deckName, &lines, tables, run);
    }

    TempDir dir;
    TCsvTable tableTV = CreateTableTV(dir.File("tvconvert.csv"));
    TCsvTable tableTVChNo = CreateTableTVChNo(dir.File("pexTVCHNo.csv"));
    TCsvTable tableTVChData = CreateTableTVChData(dir.File("tvchdata.csv"));
    ChannelTables tables{tableTV, tableTVChNo, tableTVChData};
};

Rows R(std::initializer_list<std::vector<std::string>> rows) {
    Rows out;
    for (const auto& row : rows) {
        out.emplace_back(row.begin(), row.end());
    }
    return out;
}

TEST_F(ChannelImportTest, RenamesOnceAndUpdatesTheRowsOfTheDeckOnly) {
    WriteTV({{"ABC", "XYZ"}, {"XYZ", "QQQ"}, {"ソニー", "表能"}});
    WriteChNo({{"Other", "XYZ", "5"}, {"Deck1", "Gone", "9"}, {"Deck1", "XYZ", "1"}, {"Deck1", "NHK", "21"}});
    Import("Deck1", "[Station]\r\n"
                    "12=ABC,1\r\n"        // renamed to XYZ, not on to QQQ: updates the existing row
                    "27 = ソニー , x\r\n" // renamed to 表能 (trail bytes 0x5C on both sides)
                    "3=New,\r\n"
                    "4=New,\r\n" // the later line wins
                    "22=NHK,\r\n"
                    "22=NHK,\r\n" // listed twice: its own row updated, none added
                    "[End_Station]\r\n"
                    "8=Outside,\r\n");
    EXPECT_EQ(ChNoRows(), R({{"Other", "XYZ", "5"},
                             {"Deck1", "Gone", "9"},
                             {"Deck1", "XYZ", "12"},
                             {"Deck1", "NHK", "22"},
                             {"Deck1", "表能", "27"},
                             {"Deck1", "New", "4"}}));
    // The bytes are written as they stand.
    EXPECT_NE(dir.Read("pexTVCHNo.csv").find("\"Deck1\",\"表能\",\"27\",\r\n"), std::string::npos);
}

// Rename rows as people type them: blanks around a value or before the comma are no part of it,
// and a new name that reads empty renames nothing (told, naming the row), so that the station
// keeps its reservations.
TEST_F(ChannelImportTest, RenameRowsAsTypedAndABlankNewNameRenamesNothing) {
    dir.Write("tvconvert.csv", kTVHeader + "\"局一\" ,\"局一改\"\r\n"
                                           "\"局二\",\"\",\r\n"
                                           "局三 , 局三改 \r\n"
                                           "\"局四\",  \r\n"
                                           "\"局五\",\" 局五改 \",\r\n");
    std::vector<std::string> notices;
    tableTV.SetNotice([&notices](const std::string& text) { notices.push_back(text); });
    Import("D", "[Station]\n1=局一,\n2=局二,\n3=局三,\n4=局四,\n5=局五,\n");
    EXPECT_EQ(ChNoRows(), R({{"D", "局一改", "1"},
                             {"D", "局二", "2"},
                             {"D", "局三改", "3"},
                             {"D", "局四", "4"},
                             {"D", " 局五改 ", "5"}}));
    const std::string row = "テーブルファイル[" + dir.File("tvconvert.csv") + "]の元のTV局名\"";
    EXPECT_EQ(notices, (std::vector<std::string>{row + "局二\"の行は新しいTV局名が空のため使いません",
                                                 row + "局四\"の行は新しいTV局名が空のため使いません"}));
}

// A channel file saved as UTF-8 or UTF-16 books the stations under their Shift_JIS names; a name
// code page 932 cannot hold is told and not imported, as no look-alike may stand for it.
TEST_F(ChannelImportTest, AChannelFileInAnyEncodingImportsItsShiftJisNames) {
    WriteChNo({{"D", "局一", "21"}});
    const std::u8string utf8 = u8"[Station]\r\n21=局一,1\r\n22=𠮷テレビ,2\r\n23=ＴＯＫＹＯ　ＭＸ,é\r\n";
    std::string utf16 = "\xFF\xFE";
    for (const char16_t unit :
         std::u16string{u"[Station]\r\n21=局一,1\r\n22=𠮷テレビ,2\r\n23=ＴＯＫＹＯ　ＭＸ,é\r\n"}) {
        utf16 += static_cast<char>(unit & 0xFF);
        utf16 += static_cast<char>(unit >> 8);
    }
    std::vector<std::string> notices;
    tableTVChNo.SetNotice([&notices](const std::string& text) { notices.push_back(text); });
    for (const std::string& file :
         {std::string{utf8.begin(), utf8.end()}, "\xEF\xBB\xBF" + std::string{utf8.begin(), utf8.end()}, utf16}) {
        dir.Write("01_ChFile.txt", file);
        auto channelFile = OpenFirstChannelFile({dir.File("01_ChFile.txt")});
        ASSERT_TRUE(channelFile);
        DecodedFileLineSource lines{channelFile->Handle};
        notices.clear();
        RunChannelImport("D", &lines, tables, {});
        EXPECT_EQ(ChNoRows(), R({{"D", "局一", "21"}, {"D", "ＴＯＫＹＯ　ＭＸ", "23"}}));
        EXPECT_EQ(notices, std::vector<std::string>{
                               "局名\"?テレビ\"(チャンネル22)はシフトJISで表せない文字を含むため取り込みません"});
    }
    // A Shift_JIS file is read byte for byte.
    dir.Write("01_ChFile.txt", "[Station]\r\n21=局一,1\r\n24=ﾃﾚﾋﾞ\x7F,\r\n");
    auto channelFile = OpenFirstChannelFile({dir.File("01_ChFile.txt")});
    ASSERT_TRUE(channelFile);
    DecodedFileLineSource lines{channelFile->Handle};
    notices.clear();
    RunChannelImport("D", &lines, tables, {});
    EXPECT_EQ(ChNoRows(), R({{"D", "局一", "21"}, {"D", "ＴＯＫＹＯ　ＭＸ", "23"}, {"D", "ﾃﾚﾋﾞ\x7F", "24"}}));
    EXPECT_EQ(notices, std::vector<std::string>{});
}

TEST_F(ChannelImportTest, EntryLinesWithoutAStationOrNumberStillMakeRows) {
    Import("D", "[Station]\n12=ABC\nABC,1\n1,2=ABC\n\n");
    // "12=ABC" names ABC, which "ABC,1" lists again without a number; "1,2=ABC" and the blank line
    // both give the empty station name, so the later one updates that row.
    EXPECT_EQ(ChNoRows(), R({{"D", "ABC", ""}, {"D", "", ""}}));
}

TEST_F(ChannelImportTest, DeckNameComesFromTheLastComponentOfTheArgument) {
    const struct {
        const char* argument;
        bool changesRows;
    } cases[] = {
        {"C:\\", false},                      // the text after the colon is empty
        {"D:\\Host\\reserve\\Deck1", true},   // no trailing backslash
        {"D:\\Host\\reserve\\Deck1\\", true}, // one trailing backslash dropped
        {"D:\\x\\Deck1\\\\", false},          // two: the last component is empty
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.argument);
        WriteChNo({{"Deck1", "A", "1"}});
        Import(DeckNameFromArgument(c.argument), "[Station]\n2=A,\n3=B,\n");
        EXPECT_EQ(ChNoRows(), c.changesRows ? R({{"Deck1", "A", "2"}, {"Deck1", "B", "3"}}) : R({{"Deck1", "A", "1"}}));
    }
}

TEST_F(ChannelImportTest, AStopRequestEndsTheLoopBeforeTheNextLine) {
    TRunControl run;
    run.FStopRequested = true;
    Import("Deck1", "[Station]\n1=A,\n", run);
    EXPECT_EQ(ChNoRows(), Rows{});
    EXPECT_TRUE(dir.Exists("pexTVCHNo.csv")); // written back all the same
}

TEST_F(ChannelImportTest, ASecondRunOnTheSameFileChangesNothing) {
    // 表示 repeated: 32 bytes, longer than the 30 bytes of TVChannel, so the row keeps the first 30.
    const std::string longName = "表示表示表示表示表示表示表示表示";
    const std::string file = "[Station]\n1=A,\n2=ソ,\n3=" + longName + ",\n";
    WriteChNo({{"Other", "A", "7"}});
    Import("Deck1", file);
    const std::string first = dir.Read("pexTVCHNo.csv");
    Import("Deck1", file);
    EXPECT_EQ(dir.Read("pexTVCHNo.csv"), first);
    EXPECT_EQ(
        ChNoRows(),
        R({{"Other", "A", "7"}, {"Deck1", "A", "1"}, {"Deck1", "ソ", "2"}, {"Deck1", longName.substr(0, 30), "3"}}));
}

TEST_F(ChannelImportTest, LongNamesAreCutToWholeCharactersAndNeverMergeTwoStations) {
    const std::string a27(27, 'a');
    const struct {
        std::string name;
        const char* number;
        std::string stored; // what the row keeps in the 30-byte TVChannel
    } stations[] = {
        {a27 + "表", "1", a27 + "表"},        // 29 bytes: kept whole
        {a27 + "a表", "2", a27 + "a表"},      // 30 bytes: kept whole
        {a27 + "aa表", "3", a27 + "aa"},      // 31 bytes: 表 would straddle the end
        {a27 + "aa示", "4", a27 + "aa"},      // shares that cut with the one above
        {a27 + "aaa East", "5", a27 + "aaa"}, // two stations whose first 30 bytes agree
        {a27 + "aaa West", "6", a27 + "aaa"},
        {a27 + "aaa West", "7", a27 + "aaa"}, // the same station again: its row updated
    };
    std::string file = "[Station]\n";
    for (const auto& s : stations) {
        file += std::string{s.number} + "=" + s.name + ",\n";
    }
    Import("Deck1", file);
    const Rows expected = R({{"Deck1", stations[0].stored, "1"},
                             {"Deck1", stations[1].stored, "2"},
                             {"Deck1", stations[2].stored, "3"},
                             {"Deck1", stations[3].stored, "4"},
                             {"Deck1", stations[4].stored, "5"},
                             {"Deck1", stations[5].stored, "7"}});
    EXPECT_EQ(ChNoRows(), expected);
    const std::string first = dir.Read("pexTVCHNo.csv");
    Import("Deck1", file); // no growth
    EXPECT_EQ(dir.Read("pexTVCHNo.csv"), first);
}

TEST_F(ChannelImportTest, RowsOfNamesCutInsideACharacterByEarlierVersionsBecomeTheStationsRows) {
    const std::string a29(29, 'a');
    // Written before names were cut to whole characters: 表 and 示 lost their trail bytes.
    WriteChNo({{"Deck1", a29 + "\x95", "3"}, {"Other", a29 + "\x95", "3"}, {"Deck1", "B", "5"}});
    Import("Deck1", "[Station]\n3=" + a29 + "表,\n4=" + a29 + "示,\n");
    EXPECT_EQ(ChNoRows(),
              R({{"Deck1", a29, "3"}, {"Other", a29 + "\x95", "3"}, {"Deck1", "B", "5"}, {"Deck1", a29, "4"}}));
    WriteChNo({{"Deck1", a29 + "\x95", "3"}}); // without a row of another deck cut alike
    Import("Deck1", "[Station]\n3=" + a29 + "表,\n");
    EXPECT_EQ(ChNoRows(), R({{"Deck1", a29, "3"}}));

    // A name that ends in a lone lead byte and is itself a station's whole name is that station's
    // row, whether or not the shorter name has a row of its own.
    const std::string file = "[Station]\n1=" + a29 + ",\n2=" + a29 + "\x95,\n";
    WriteChNo({{"Deck1", a29 + "\x95", "5"}});
    Import("Deck1", file);
    EXPECT_EQ(ChNoRows(), R({{"Deck1", a29 + "\x95", "2"}, {"Deck1", a29, "1"}}));
    WriteChNo({{"Deck1", a29, "3"}, {"Deck1", a29 + "\x95", "5"}});
    Import("Deck1", file);
    EXPECT_EQ(ChNoRows(), R({{"Deck1", a29, "1"}, {"Deck1", a29 + "\x95", "2"}}));

    // A name of whole characters is never taken for a cut one, also where its trail bytes could
    // be lead bytes (亜 is 88 9F).
    std::string whole;
    for (int i = 0; i < 15; ++i) {
        whole += "亜";
    }
    WriteChNo({{"Deck1", whole, "7"}});
    Import("Deck1", "[Station]\n1=" + whole.substr(0, 29) + ",\n");
    EXPECT_EQ(ChNoRows(), R({{"Deck1", whole, "7"}, {"Deck1", whole.substr(0, 29), "1"}}));
}

TEST_F(ChannelImportTest, WithoutAChannelFileOnlyTheMissingTablesAreWritten) {
    // Another program's form: the table did not change, so the file stays as it is, unbacked.
    const std::string chNo = "\"ToolName\",\"TVChannel\",\"TVChannelNo\"\n\"Deck1\",\"A\",\"1\"\n";
    dir.Write("pexTVCHNo.csv", chNo);
    bool found = false;
    RunChannelImport("Deck1", nullptr, tables, {}, [&] { found = true; });
    EXPECT_FALSE(found);
    EXPECT_EQ(dir.Read("tvconvert.csv"), kTVHeader);
    EXPECT_EQ(dir.Read("pexTVCHNo.csv"), chNo);
    EXPECT_FALSE(dir.Exists("pexTVCHNo.old"));
    EXPECT_EQ(dir.Read("tvchdata.csv"), kChDataHeader);
    EXPECT_FALSE(tableTV.Active() || tableTVChNo.Active() || tableTVChData.Active());
}

// Lines from a list; the line at `failAt` raises a read error.
class FailingLines final : public ChannelLineSource {
public:
    FailingLines(std::vector<std::string> lines, std::size_t failAt) : lines_{std::move(lines)}, failAt_{failAt} {}
    bool Eof() override { return next_ >= lines_.size(); }
    std::string ReadLine() override {
        if (next_ == failAt_) {
            throw IoError{"read failed", 5};
        }
        return lines_[next_++];
    }

private:
    std::vector<std::string> lines_;
    std::size_t failAt_;
    std::size_t next_ = 0;
};

// After an area change the old stations' rows stay, but a number that the file gives to one of its
// stations is given up by the rows of this deck whose station the file no longer lists: the
// harvest takes the first row of a number. Only a file read to its end tells which are gone.
TEST_F(ChannelImportTest, StationsNoLongerInTheFileGiveUpTheNumbersItGives) {
    constexpr std::nullopt_t N = std::nullopt;
    const std::vector<std::vector<std::string>> before{
        {"Deck1", "Old21", "21"}, // gone, its number given to New21
        {"Other", "Else", "21"},  // another deck
        {"Deck1", "Old9", "9"},   // gone, its number given to nobody
        {"Deck1", "Cur", "3"},    // in the file
        {"Deck1", "Cur", "21"},   // a second row of a station in the file
        {"Deck1", "Blank", ""},
    };
    WriteChNo(before);
    Import("Deck1", "[Station]\n21=New21,\n3=Cur,\n21=Twin,\n");
    EXPECT_EQ(ChNoRows(), (Rows{{"Deck1", "Old21", N},
                                {"Other", "Else", "21"},
                                {"Deck1", "Old9", "9"},
                                {"Deck1", "Cur", "3"},
                                {"Deck1", "Cur", "21"},
                                {"Deck1", "Blank", ""},
                                {"Deck1", "New21", "21"},
                                {"Deck1", "Twin", "21"}}));

    WriteChNo(before);
    FailingLines lines{{"[Station]", "21=New21,", "3=Cur,"}, 2};
    EXPECT_THROW(RunChannelImport("Deck1", &lines, tables, {}), IoError);
    EXPECT_EQ(RowsOf(ParseTableText(dir.Read("pexTVCHNo.csv"), tableTVChNo.FieldDefs())).front(),
              (Row{"Deck1", "Old21", "21"}));
}

TEST_F(ChannelImportTest, AFailingLineKeepsTheRowsPostedSoFarAndGoesOn) {
    FailingLines lines{{"[Station]", "1=A,", "2=B,", "3=C,"}, 3};
    EXPECT_THROW(RunChannelImport("Deck1", &lines, tables, {}), IoError);
    EXPECT_FALSE(tableTV.Active() || tableTVChNo.Active() || tableTVChData.Active());
    EXPECT_EQ(ChNoRows(), R({{"Deck1", "A", "1"}, {"Deck1", "B", "2"}}));
    EXPECT_EQ(dir.Read("tvchdata.csv"), kChDataHeader);
}

// Records the table files opened for reading (Open) and created for writing (Close).
class RecordingFileSystem final : public TableFileSystem {
public:
    os::File OpenFile(const std::string& path, os::OpenMode mode, os::Share share) override {
        const std::string name = ExtractFileName(path);
        const std::string stem = name.substr(0, name.find('.'));
        if ((mode == os::OpenMode::ReadExisting && name == failRead) ||
            (mode == os::OpenMode::CreateNew && failCreate)) {
            return {};
        }
        if (mode == os::OpenMode::ReadExisting || mode == os::OpenMode::CreateNew) {
            const std::string event = (mode == os::OpenMode::ReadExisting ? "open " : "close ") + stem;
            if (events.empty() || events.back() != event) {
                events.push_back(event);
            }
        }
        return TableFileSystem::OpenFile(path, mode, share);
    }

    std::vector<std::string> events;
    std::string failRead;
    bool failCreate = false;
};

TEST_F(ChannelImportTest, TablesAreOpenedAndClosedInTheirOrder) {
    for (const char* name : {"tvconvert.csv", "pexTVCHNo.csv", "tvchdata.csv"}) {
        dir.Write(name, "");
    }
    RecordingFileSystem fs;
    for (TCsvTable* table : {&tableTV, &tableTVChNo, &tableTVChData}) {
        table->SetFileSystemForTesting(fs);
    }
    Import("Deck1", "[Station]\n1=A,\n");
    // Empty files hold no table, so all three are written, in the same order.
    EXPECT_EQ(fs.events, (std::vector<std::string>{"open tvconvert", "open pexTVCHNo", "open tvchdata",
                                                   "close tvconvert", "close pexTVCHNo", "close tvchdata"}));

    // A table that cannot be opened: the ones opened before it are closed again (unchanged, so
    // not written), the error goes on.
    fs.events.clear();
    fs.failRead = "pexTVCHNo.csv";
    EXPECT_THROW(Import("Deck1", "[Station]\n2=B,\n"), IoError);
    EXPECT_EQ(fs.events, (std::vector<std::string>{"open tvconvert"}));
    EXPECT_FALSE(tableTV.Active() || tableTVChNo.Active() || tableTVChData.Active());
}

// Every table is closed also when one cannot be written; the first failure is the one that goes on.
TEST_F(ChannelImportTest, TheFirstTableThatCannotBeWrittenIsTheErrorThatGoesOn) {
    RecordingFileSystem fs;
    fs.failCreate = true; // tvconvert.csv and tvchdata.csv are missing, so both are written
    for (TCsvTable* table : {&tableTV, &tableTVChNo, &tableTVChData}) {
        table->SetFileSystemForTesting(fs);
    }
    try {
        RunChannelImport("Deck1", nullptr, tables, {});
        ADD_FAILURE() << "no error";
    } catch (const IoError& error) {
        EXPECT_NE(std::string{error.what()}.find("tvconvert.$$$"), std::string::npos) << error.what();
    }
    EXPECT_FALSE(tableTV.Active() || tableTVChNo.Active() || tableTVChData.Active());
}

TEST(BytesLineSource, ReadsALastLineWithoutItsEnd) {
    BytesLineSource lines{"a\r\nb"};
    EXPECT_EQ(lines.ReadLine(), "a");
    EXPECT_EQ(lines.ReadLine(), "b");
    EXPECT_TRUE(lines.Eof());
}

TEST(ChannelFileCandidates, AddABackslashOnlyWhereOneIsMissing) {
    // An empty or blank directory is no setting: never "\channels\NN_ChFile.txt" or "\NN_ChFile.txt",
    // which lie at the drive's root.
    EXPECT_EQ(ChannelFileCandidates("C:\\ソ", {""}, "C:\\ProgramData\\BUFFALO INC\\PCastDigi\\channels\\", 7),
              (std::vector<std::string>{"C:\\ソ\\07_ChFile.txt",
                                        "C:\\ProgramData\\BUFFALO INC\\PCastDigi\\channels\\07_ChFile.txt"}));
    EXPECT_EQ(ChannelFileCandidates("", {"D:\\Tuner\\"}, "D:\\表", 123),
              (std::vector<std::string>{"D:\\Tuner\\channels\\123_ChFile.txt", "D:\\表\\123_ChFile.txt"}));
    EXPECT_EQ(ChannelFileCandidates(" \t", {" ", "T"}, "P", 1),
              (std::vector<std::string>{"T\\channels\\01_ChFile.txt", "P\\01_ChFile.txt"}));
    // Without the tuner's registry key, each of its default directories in turn.
    EXPECT_EQ(ChannelFileCandidates("S", {"A", "B"}, "P\\", 0),
              (std::vector<std::string>{"S\\00_ChFile.txt", "A\\channels\\00_ChFile.txt", "B\\channels\\00_ChFile.txt",
                                        "P\\00_ChFile.txt"}));
}

// The folders the system gives, and the fixed ones when it gives none.
TEST(ChannelFileCandidates, TheSystemsFoldersComeBeforeTheFixedOnes) {
    const struct {
        std::optional<std::string> programFilesX86;
        std::vector<std::string> tunerDirs;
    } tunerCases[] = {
        {"C:\\Program Files (x86)",
         {"C:\\Program Files (x86)\\BUFFALO\\PCastDigi", "C:\\Program Files\\BUFFALO\\PCastDigi"}},
        {"D:\\Programme\\", {"D:\\Programme\\BUFFALO\\PCastDigi", "C:\\Program Files\\BUFFALO\\PCastDigi"}},
        {"c:\\program files", {"c:\\program files\\BUFFALO\\PCastDigi"}}, // 32-bit Windows on C:
        {"", {"C:\\Program Files\\BUFFALO\\PCastDigi"}},
        {std::nullopt, {"C:\\Program Files\\BUFFALO\\PCastDigi"}},
    };
    for (const auto& c : tunerCases) {
        EXPECT_EQ(DefaultTunerDirs(c.programFilesX86), c.tunerDirs) << c.programFilesX86.value_or("(none)");
    }
    const struct {
        std::optional<std::string> commonAppData;
        std::string shared;
    } sharedCases[] = {
        {"D:\\ProgramData", "D:\\ProgramData\\BUFFALO INC\\PCastDigi\\channels\\"},
        {"C:\\ソ", "C:\\ソ\\BUFFALO INC\\PCastDigi\\channels\\"},
        {"", "C:\\ProgramData\\BUFFALO INC\\PCastDigi\\channels\\"},
        {std::nullopt, "C:\\ProgramData\\BUFFALO INC\\PCastDigi\\channels\\"},
    };
    for (const auto& c : sharedCases) {
        EXPECT_EQ(SharedChannelsDir(c.commonAppData), c.shared) << c.commonAppData.value_or("(none)");
    }
}

TEST(OpenFirstChannelFile, TakesTheFirstCandidateThatOpensAndReadsItsLines) {
    TempDir dir;
    dir.Write("found.txt", "[Station]\r\n1=A\r,\r\n2=B,\n[End_Station]");
    dir.Write("later.txt", "[Station]\n9=Z,\n");
    auto file = OpenFirstChannelFile({dir.File("missing.txt"), dir.File("found.txt"), dir.File("later.txt")});
    ASSERT_TRUE(file);
    EXPECT_EQ(file->Name, dir.File("found.txt"));
    EXPECT_EQ(ExtractFilePath(file->Name), dir.File(""));
    FileLineSource lines{file->Handle};
    std::vector<std::string> read;
    while (!lines.Eof()) {
        read.push_back(lines.ReadLine());
    }
    EXPECT_EQ(read, (std::vector<std::string>{"[Station]", "1=A,", "2=B,", "[End_Station]"}));
    EXPECT_FALSE(OpenFirstChannelFile({dir.File("missing.txt"), dir.File("nothing.txt")}));
}

} // namespace
} // namespace quellix
