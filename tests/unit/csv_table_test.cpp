// TCsvTable: cursor, look-up, editing, and the files a table leaves behind.
#include "channels/channel_tables.h"
#include "channels/csv_table.h"
#include "channels/table_file.h"
#include "support/errors.h"
#include "table_test_support.h"
#include "tests/unit/temp_dir.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace quellix {
namespace {

using namespace std::string_literals;
using table_test::Rows;
using table_test::RowsOf;
using testing_support::TempDir;

constexpr std::nullopt_t N = std::nullopt;
const std::string kChNoHeader = "\"ToolName\",\"TVChannel\",\"TVChannelNo\",\r\n";

void AppendChNo(TCsvTable& table, std::string_view deck, std::string_view channel, std::string_view number) {
    table.Append();
    table.FieldByName("VideoDeckName").SetAsString(deck);
    table.FieldByName("TVChannel").SetAsString(channel);
    table.FieldByName("TVChannelNo").SetAsString(number);
    table.Post();
}

TEST(CsvTable, LocateFindsTheFirstMatchInRowOrder) {
    TempDir dir;
    dir.Write("pexTVCHNo.csv", kChNoHeader + "\"deck\",\"A\",\"21\",\r\n\"other\",\"B\",\"22\",\r\n"
                                             "\"deck\",\"C\",\"22\",\r\n\"deck\",\"D\",\"22\",\r\n\"deck\",,,\r\n");
    TCsvTable table = CreateTableTVChNo(dir.File("pexTVCHNo.csv"));
    table.Open();
    EXPECT_EQ(table.FieldByName("TVChannel").AsString(), "A"); // on the first record after Open

    EXPECT_TRUE(table.Locate("VideoDeckName;TVChannelNo", {"deck", "22"}));
    EXPECT_EQ(table.FieldByName("TVChannel").AsString(), "C");
    EXPECT_TRUE(table.Locate(" videodeckname ; TVChannel ", {"deck", "D"})); // names as FieldByName takes them
    EXPECT_EQ(table.FieldByName("TVChannelNo").AsString(), "22");

    const struct {
        const char* name;
        std::string_view fields;
        std::vector<std::string_view> values;
    } misses[] = {
        {"prefix is no match", "VideoDeckName;TVChannelNo", {"deck", "2"}},
        {"longer value is no match", "VideoDeckName;TVChannelNo", {"deck", "221"}},
        {"both keys must match", "VideoDeckName;TVChannel", {"other", "A"}},
        {"case counts", "VideoDeckName;TVChannel", {"DECK", "A"}},
    };
    for (const auto& miss : misses) {
        EXPECT_FALSE(table.Locate(miss.fields, miss.values)) << miss.name;
        EXPECT_EQ(table.FieldByName("TVChannel").AsString(), "D") << miss.name << ": cursor moved";
    }
    EXPECT_TRUE(table.Locate("VideoDeckName;TVChannel", {"deck", ""})); // a null value equals ""
    EXPECT_TRUE(table.FieldByName("TVChannel").IsNull());

    table.First();
    EXPECT_EQ(table.FieldByName("TVChannel").AsString(), "A");
    EXPECT_THROW((void)table.Locate("VideoDeckName;Nothing", {"deck", "x"}), QuellixError);
    EXPECT_THROW((void)table.Locate("VideoDeckName;TVChannel", {"deck"}), QuellixError);
    table.Close();
    EXPECT_THROW((void)table.Locate("VideoDeckName", {"deck"}), QuellixError); // closed
}

// The rows compare equal only with the same values, nulls included, in the same places.
TEST(CsvTable, RecordsCompareValueByValue) {
    TCsvTable table = CreateTableTVChNo();
    table.Open();
    for (const char* station : {"A", "B"}) {
        table.Append();
        table.FieldByName("TVChannel").SetAsString(station);
        table.Post();
    }
    const TableRecords before = table.Records();
    EXPECT_TRUE(table.Records() == before);
    table.Edit();
    table.FieldByName("TVChannel").SetAsString("C");
    table.Post();
    EXPECT_FALSE(table.Records() == before);
    table.Edit();
    table.FieldByName("TVChannel").SetAsString("B");
    table.FieldByName("TVChannelNo").SetAsString("");
    table.Post();
    EXPECT_FALSE(table.Records() == before); // an empty value is no null
    table.Close();
}

TEST(CsvTable, FieldsStoreCutTextOnlyWhileEditing) {
    TCsvTable table = CreateTableTVChNo();
    EXPECT_THROW((void)table.FieldByName("TVChannel").AsString(), QuellixError); // closed
    table.Open();
    EXPECT_EQ(table.RecordCount(), 0U);
    EXPECT_EQ(table.FieldByName("TVChannel").AsString(), ""); // empty table: nothing current
    EXPECT_THROW(table.FieldByName("TVChannel").SetAsString("x"), QuellixError);
    EXPECT_THROW((void)table.FieldByName("Channel"), QuellixError);
    EXPECT_THROW(table.Post(), QuellixError);

    table.Append();
    TField& channel = table.FieldByName("tvchannel");
    EXPECT_TRUE(channel.IsNull());
    channel.SetAsString("12345678901234567890123456789表示"); // 33 bytes into 30: the tail of 表 is lost
    EXPECT_EQ(channel.AsString(), "12345678901234567890123456789\x95");
    table.FieldByName("TVChannelNo").SetAsString("27\0 rest"s);
    EXPECT_EQ(table.FieldByName("TVChannelNo").AsString(), "27");
    table.FieldByName("VideoDeckName").SetAsString("");
    table.Post();
    EXPECT_EQ(RowsOf(table.Records()), (Rows{{"", "12345678901234567890123456789\x95", "27"}}));
    EXPECT_FALSE(table.FieldByName("VideoDeckName").IsNull()); // empty, not null

    table.Edit();
    table.FieldByName("TVChannelNo").SetAsString("28");
    table.Cancel();
    EXPECT_EQ(table.FieldByName("TVChannelNo").AsString(), "27");
    table.Edit();
    table.FieldByName("TVChannelNo").SetAsString("29");
    table.Post();
    EXPECT_EQ(table.FieldByName("TVChannelNo").AsString(), "29");
    table.Close();
}

TEST(CsvTable, MovingOnPostsChangedRecordsAndDropsUntouchedOnes) {
    TCsvTable table = CreateTableTV();
    table.Open();
    table.Edit(); // on an empty table: a new record
    EXPECT_EQ(table.State(), TableState::Inserting);
    table.FieldByName("OldChannel").SetAsString("a");
    table.Append(); // posts "a" first
    table.First();  // drops the untouched new record
    table.Append();
    table.FieldByName("OldChannel").SetAsString("b");
    EXPECT_TRUE(table.Locate("OldChannel", {"b"})); // posts "b", then looks
    table.Append();
    table.Post(); // an untouched record posted explicitly is kept
    EXPECT_EQ(RowsOf(table.Records()), (Rows{{"a", N}, {"b", N}, {N, N}}));
    EXPECT_TRUE(table.Locate("OldChannel", {"b"}));
    table.Close();
}

TEST(CsvTable, CloseWritesTheFileKeepingTheOldOneAsBackup) {
    TempDir dir;
    const std::string first = kChNoHeader + "\"deck\",\"Station A\",\"27\",\r\n";
    dir.Write("pexTVCHNo.csv", first);
    TCsvTable table = CreateTableTVChNo(dir.File("pexTVCHNo.csv"));
    table.Open();
    AppendChNo(table, "deck", "Station B", "");
    table.Append();
    table.FieldByName("VideoDeckName").SetAsString("deck");
    table.FieldByName("TVChannel").SetAsString("Station C");
    table.Post();
    table.Append();
    table.FieldByName("TVChannel").SetAsString("not posted");
    table.Close();
    EXPECT_FALSE(table.Active());
    EXPECT_EQ(table.RecordCount(), 0U);

    EXPECT_EQ(dir.Read("pexTVCHNo.csv"),
              first + "\"deck\",\"Station B\",\"\",\r\n\"deck\",\"Station C\",,\r\n"); // empty versus null
    EXPECT_EQ(dir.Read("pexTVCHNo.old"), first);
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"pexTVCHNo.csv", "pexTVCHNo.old"}));

    table.Open(); // null and empty both read as "", null stays null
    ASSERT_TRUE(table.Locate("TVChannel", {"Station B"}));
    EXPECT_EQ(table.FieldByName("TVChannelNo").AsString(), "");
    EXPECT_FALSE(table.FieldByName("TVChannelNo").IsNull());
    ASSERT_TRUE(table.Locate("TVChannel", {"Station C"}));
    EXPECT_EQ(table.FieldByName("TVChannelNo").AsString(), "");
    EXPECT_TRUE(table.FieldByName("TVChannelNo").IsNull());
    table.Close();
}

// A file as a spreadsheet saves it, with a column of the user's own and a name longer than its
// field: the table keeps the file as it is until a posted record changes a row, and the log is
// told once what a save would drop.
TEST(CsvTable, OnlyAChangedTableIsWrittenAndWhatItCannotKeepIsToldOnce) {
    const std::string longName(41, 'L');
    const std::string file = "元のTV局名,新しいTV局名,メモ\r\nＡ局,A局,my note\r\n" + longName + ",B\r\n";
    const struct {
        const char* name;
        std::function<void(TCsvTable&)> change;
        bool written;
    } cases[] = {
        {"nothing", [](TCsvTable&) {}, false},
        {"a value set to what it was",
         [](TCsvTable& t) {
             t.Edit();
             t.FieldByName("NewChannel").SetAsString("A局");
             t.Post();
         },
         false},
        {"an edit not posted",
         [](TCsvTable& t) {
             t.Edit();
             t.FieldByName("NewChannel").SetAsString("C局");
         },
         false},
        {"a value changed",
         [](TCsvTable& t) {
             t.Edit();
             t.FieldByName("NewChannel").SetAsString("C局");
             t.Post();
         },
         true},
        {"a value made null",
         [](TCsvTable& t) {
             t.Edit();
             t.FieldByName("NewChannel").Clear();
             t.Post();
         },
         true},
        {"a record appended",
         [](TCsvTable& t) {
             t.Append();
             t.Post();
         },
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        dir.Write("tvconvert.csv", file);
        TCsvTable table = CreateTableTV(dir.File("tvconvert.csv"));
        std::vector<std::string> notices;
        table.SetNotice([&notices](const std::string& text) { notices.push_back(text); });
        for (int cycle = 0; cycle < 2; ++cycle) { // the import changes, the harvest only reads
            table.Open();
            EXPECT_EQ(table.FieldByName("OldChannel").AsString(), "Ａ局");
            if (cycle == 0) {
                c.change(table);
            }
            table.Close();
        }
        EXPECT_EQ(dir.Read("tvconvert.csv") == file, !c.written);
        // Written once at most: the backup is the user's file.
        EXPECT_EQ(dir.Exists("tvconvert.old") ? dir.Read("tvconvert.old") : "", c.written ? file : "");
        ASSERT_EQ(notices.size(), 1U);
        EXPECT_EQ(notices[0], "テーブルファイル[" + dir.File("tvconvert.csv") +
                                  "]には表に入らない内容があり、表を書き換えると失われます: 表にない列 \"メモ\"; "
                                  "表にない列の値 1個; 40バイトを超える元の放送局名の値 1個");
    }
}

std::string Utf16Le(std::u16string_view text) {
    std::string out = "\xFF\xFE";
    for (const char16_t unit : text) {
        out += static_cast<char>(unit & 0xFF);
        out += static_cast<char>(unit >> 8);
    }
    return out;
}

std::string Utf8(std::u8string_view text) {
    return {text.begin(), text.end()};
}

// A table saved by today's editors in UTF-8 or UTF-16 holds the same rows as the Shift_JIS one.
// Unchanged, it stays byte for byte; changed, it is written in Shift_JIS, the user's file kept as
// the backup, and the log says so. A character Shift_JIS cannot hold keeps the file as it is.
TEST(CsvTable, ATableSavedInAnotherEncodingIsReadAndWrittenBackInShiftJisOnlyWhenChanged) {
    const std::u16string text = u"\"元のTV局名\",\"新しいTV局名\",\r\n\"局一\",\"局一改\",\r\n";
    const std::u8string text8 = u8"\"元のTV局名\",\"新しいTV局名\",\r\n\"局一\",\"局一改\",\r\n";
    const std::u8string unholdable = u8"元のTV局名,新しいTV局名\r\n局一,局一改\r\ncafé,〜\r\n";
    const struct {
        const char* name;
        std::string bytes;
        const char* encoding;
    } files[] = {
        {"UTF-8", Utf8(text8), "UTF-8"},
        {"UTF-8 with a byte order mark", "\xEF\xBB\xBF" + Utf8(text8), "UTF-8 (BOM付き)"},
        {"UTF-16", Utf16Le(text), "UTF-16LE"},
        {"UTF-16 without a closing line end", Utf16Le(text.substr(0, text.size() - 2)), "UTF-16LE"},
        {"a character Shift_JIS cannot hold", "\xEF\xBB\xBF" + Utf8(unholdable), nullptr},
    };
    const std::string sjis = "\"元のTV局名\",\"新しいTV局名\",\r\n\"局一\",\"局一改\",\r\n";
    for (const auto& file : files) {
        for (const bool change : {false, true}) {
            SCOPED_TRACE(std::string{file.name} + (change ? ", changed" : ", unchanged"));
            TempDir dir;
            dir.Write("tvconvert.csv", file.bytes);
            TCsvTable table = CreateTableTV(dir.File("tvconvert.csv"));
            std::vector<std::string> notices;
            table.SetNotice([&notices](const std::string& line) { notices.push_back(line); });
            table.Open();
            ASSERT_TRUE(table.Locate("OldChannel", {"局一"}));
            EXPECT_EQ(table.FieldByName("NewChannel").AsString(), "局一改");
            if (change) {
                table.Append();
                table.FieldByName("OldChannel").SetAsString("局二");
                table.Post();
            }
            table.Close();
            const bool written = change && file.encoding != nullptr;
            EXPECT_EQ(dir.Read("tvconvert.csv"), written ? sjis + "\"局二\",,\r\n" : file.bytes);
            EXPECT_EQ(dir.Exists("tvconvert.old") ? dir.Read("tvconvert.old") : "", written ? file.bytes : "");
            std::vector<std::string> expected;
            if (file.encoding == nullptr) {
                expected.push_back("テーブルファイル[" + dir.File("tvconvert.csv") +
                                   "]の3行目にUTF-8 (BOM付き)からシフトJISに変換できない文字があるため、"
                                   "このファイルは書き換えません");
            } else if (written) {
                expected.push_back("テーブルファイル[" + dir.File("tvconvert.csv") + "]は" + file.encoding +
                                   "で読み込み、シフトJISで書き直しました(元のファイルは[" + dir.File("tvconvert.old") +
                                   "])");
            }
            EXPECT_EQ(notices, expected);
        }
    }
}

TEST(CsvTable, MissingFileBecomesAHeaderOnlyFileWithoutBackup) {
    TempDir dir;
    const std::string cut = "\"TVChannel\",\"TVChannelNo\",\"TVURL\",\r\n\"cut off"; // not a whole table
    dir.Write("tvchdata.$$$", cut);
    TCsvTable table = CreateTableTVChData(dir.File("tvchdata.csv"));
    table.Open();
    EXPECT_EQ(table.RecordCount(), 0U);
    table.Close();
    EXPECT_EQ(dir.Read("tvchdata.csv"), "\"TVChannel\",\"TVChannelNo\",\"TVURL\",\r\n");
    // The unused temporary is kept aside, not deleted.
    const std::vector<std::string> names = dir.Names();
    ASSERT_EQ(names.size(), 2U);
    EXPECT_EQ(names[1], "tvchdata.csv");
    EXPECT_EQ(dir.Read(names[0]), cut);
}

TEST(CsvTable, ASaveAfterTheFileVanishedLeavesNoStaleBackup) {
    TempDir dir;
    dir.Write("pexTVCHNo.csv", kChNoHeader + "\"deck\",\"A\",\"1\",\r\n");
    dir.Write("pexTVCHNo.old", kChNoHeader);
    TCsvTable table = CreateTableTVChNo(dir.File("pexTVCHNo.csv"));
    table.Open();
    AppendChNo(table, "deck", "B", "2");
    std::filesystem::remove(dir.Native("pexTVCHNo.csv")); // deleted by hand while open
    table.Close();
    EXPECT_EQ(dir.Read("pexTVCHNo.csv"), kChNoHeader + "\"deck\",\"A\",\"1\",\r\n\"deck\",\"B\",\"2\",\r\n");
    // The backup would claim to be the file before this save, which it is not.
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"pexTVCHNo.csv"});
}

TEST(CsvTable, EmptyPathKeepsTheTableInMemory) {
    TCsvTable table = CreateTableTV();
    table.Open();
    table.Append();
    table.FieldByName("OldChannel").SetAsString("a");
    table.Post();
    table.Close();
    table.Open();
    EXPECT_EQ(table.RecordCount(), 0U);
    table.Close();
}

// The check's tables: a changed table, and one whose file is missing, write nothing and keep
// their records from one Open to the next.
TEST(CsvTable, ATableKeptInMemoryWritesNoFileAndKeepsItsChangesForTheNextOpen) {
    TempDir dir;
    dir.Write("pexTVCHNo.csv", kChNoHeader + "\"deck\",\"A\",\"1\",\r\n");
    TCsvTable changed = CreateTableTVChNo(dir.File("pexTVCHNo.csv"));
    TCsvTable missing = CreateTableTVChData(dir.File("tvchdata.csv"));
    for (TCsvTable* table : {&changed, &missing}) {
        table->KeepInMemory();
        table->Open();
    }
    AppendChNo(changed, "deck", "B", "2");
    for (int round = 0; round < 2; ++round) {
        changed.Close();
        missing.Close();
        EXPECT_EQ(dir.Names(), std::vector<std::string>{"pexTVCHNo.csv"});
        EXPECT_EQ(dir.Read("pexTVCHNo.csv"), kChNoHeader + "\"deck\",\"A\",\"1\",\r\n");
        EXPECT_TRUE(changed.WouldSave() && missing.WouldSave());
        changed.Open();
        missing.Open();
        EXPECT_EQ(changed.RecordCount(), 2U);
        EXPECT_TRUE(changed.Locate("TVChannel", {"B"}));
    }
    // A table left as it was would not be written either.
    TCsvTable same = CreateTableTVChNo(dir.File("pexTVCHNo.csv"));
    same.KeepInMemory();
    same.Open();
    same.Close();
    EXPECT_FALSE(same.WouldSave());
}

TEST(CsvTable, FileNamesReplaceTheExtension) {
    EXPECT_EQ(TemporaryPathOf("C:\\Host\\pexTVCHNo.csv"), "C:\\Host\\pexTVCHNo.$$$");
    EXPECT_EQ(BackupPathOf("C:\\Host\\tvconvert.csv"), "C:\\Host\\tvconvert.old");
    EXPECT_EQ(BackupPathOf("C:\\Host.d\\table"), "C:\\Host.d\\table.old");
    EXPECT_EQ(BackupPathOf("\\tvchdata.csv"), "\\tvchdata.old");
}

} // namespace
} // namespace quellix
