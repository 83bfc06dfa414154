// The channel tables through whole import runs of the real quellix.exe: a table the user saved
// from a spreadsheet is read as it stands and kept unless a row changes, and after the tuner moved
// to another area the current station wins its channel number.
#include "tests/e2e/harvest_e2e_fixture.h"

#include "support/cp932_win.h"
#include "tests/shared/task_listing_rows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace quellix::e2e {
namespace {

using testing::ListingHeader;
using testing::ListingRow;
using testing::TunerCommand;

class TableKeepingTest : public StandInHarvestTest {
protected:
    void SetUp() override {
        StandInHarvestTest::SetUp();
        DeleteRegistryTree(L"Software\\BUFFALO INC."); // area 00, no tuner directory
        // The channel file lies in the directory chosen in the settings window.
        WriteFileBytes(root / L"pex.ini", "[TFormPdigi]\r\nPdigiDir_Text=" + SjisFromWide(root.Path()) + "\\\r\n");
    }
    void ChannelFile(const std::string& entries) const {
        WriteFileBytes(root / L"00_ChFile.txt", "[Station]\r\n" + entries + "[End_Station]\r\n");
    }
    std::size_t Logged(const std::string& line) const {
        const std::vector<std::string> lines = ReadLines(root / L"pex.log");
        return static_cast<std::size_t>(std::count(lines.begin(), lines.end(), line));
    }
};

TEST_F(TableKeepingTest, TablesAreReadAsTheUserSavedThemAndWrittenOnlyWhenARowChanges) {
    // Saved by a spreadsheet: no quotes, no closing commas. The rename must take effect.
    const std::string tvconvert =
        "元のTV局名,新しいTV局名\r\nRaw Alpha,TV Alpha\r\n\"Comma, Inc\",\"Say \"\"Hi\"\"\"\r\n";
    // A column of the user's own, a URL holding "%0A", a number longer than its field (16 bytes).
    const std::string tvchdata = "\"TVChannel\",\"TVChannelNo\",\"TVURL\",\"Memo\",\r\n"
                                 "\"局A\",\"21\",\"http://example.jp/?q=a%0Ab\",\"mine\",\r\n"
                                 "\"局B\",\"12345678901234567\",,,\r\n";
    WriteFileBytes(root / L"tvconvert.csv", tvconvert);
    WriteFileBytes(root / L"tvchdata.csv", tvchdata);
    const std::string chNo = ReadFileBytes(root / L"pexTVCHNo.csv");
    ChannelFile("22=Raw Alpha,0x7FE0,1\r\n");
    const std::string listing =
        Listing({ListingHeader(), ListingRow("\\PCastDigi_1", "2009/03/01 21:00:00", TunerCommand("News", "22", 30))});

    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE(run);
        ASSERT_TRUE(Import(reserve, listing).finished);
        EXPECT_EQ(Files(reserve),
                  (std::map<std::string, std::string>{
                      {"20090301210122.tvpi", TvpiFile("TV Alpha", "2009", "03", "01", "21:01", "21:30", "News")}}));
        // The row of the renamed station took the new number: the table was written once, in the
        // first run, its backup the file as it was.
        std::string changed = chNo;
        changed.replace(changed.find("\"TV Alpha\",\"21\""), 15, "\"TV Alpha\",\"22\"");
        EXPECT_EQ(ReadFileBytes(root / L"pexTVCHNo.csv"), changed);
        EXPECT_EQ(ReadFileBytes(root / L"pexTVCHNo.old"), chNo);
        // The tables no row of which changed are as the user left them, without backups.
        EXPECT_EQ(ReadFileBytes(root / L"tvconvert.csv"), tvconvert);
        EXPECT_EQ(ReadFileBytes(root / L"tvchdata.csv"), tvchdata);
        EXPECT_FALSE(FileExists(root / L"tvconvert.old"));
        EXPECT_FALSE(FileExists(root / L"tvchdata.old"));
        // What a save of tvchdata.csv would drop is named once a run (the log grows by a run).
        EXPECT_EQ(Logged("テーブルファイル[" + SjisFromWide(root.Path()) +
                         "\\tvchdata.csv]には表に入らない内容があり、表を書き換えると失われます: 表にない列 \"Memo\"; "
                         "表にない列の値 1個; 16バイトを超えるチャンネル番号の値 1個"),
                  static_cast<std::size_t>(run));
        EXPECT_EQ(HarvestLog(), (std::vector<std::string>{"Quellix開始", "Quellix終了"}));
    }
}

TEST_F(TableKeepingTest, AfterAnAreaChangeTheCurrentStationWinsItsChannel) {
    // The new area's file: channel 21 is another station now, 8 the same; TV Alpha and 表示テレビ
    // are gone. Their rows stay; TV Alpha gives 21 up, 12 is nobody's now. The other deck's row of
    // 21 is its own.
    ChannelFile("21=New Area 21,0x7FE0,1\r\n8=ソフト放送,0x7FE0,1\r\n");
    const RunResult result =
        Import(reserve, Listing({ListingHeader(),
                                 ListingRow("\\PCastDigi_1", "2009/03/01 21:00:00", TunerCommand("News", "21", 30)),
                                 ListingRow("\\PCastDigi_2", "2009/03/01 22:00:00", TunerCommand("Late", "12", 30))}));
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(Files(reserve),
              (std::map<std::string, std::string>{
                  {"20090301210121.tvpi", TvpiFile("New Area 21", "2009", "03", "01", "21:01", "21:30", "News")},
                  {"20090301220112.tvpi", TvpiFile("表示テレビ", "2009", "03", "01", "22:01", "22:30", "Late")}}));
    EXPECT_EQ(ReadLines(root / L"pexTVCHNo.csv"),
              (std::vector<std::string>{"\"ToolName\",\"TVChannel\",\"TVChannelNo\",", "\"GigaPocket\",\"TV Alpha\",,",
                                        "\"GigaPocket\",\"ソフト放送\",\"8\",", "\"GigaPocket\",\"表示テレビ\",\"12\",",
                                        "\"録画ソ\",\"Deck Station\",\"21\",", "\"Other\",\"Elsewhere\",\"5\",",
                                        "\"GigaPocket\",\"New Area 21\",\"21\","}));
    EXPECT_EQ(HarvestLog(), (std::vector<std::string>{"Quellix開始", "Quellix終了"}));
}

} // namespace
} // namespace quellix::e2e
