// A table file survives a crash at any point of a save, a failing file system, and a file it
// cannot read: the next Open always finds a whole table from the last or the previous save, and
// a table that could not be loaded is never written back.
#include "channels/channel_tables.h"
#include "channels/csv_table.h"
#include "channels/table_file.h"
#include "support/errors.h"
#include "table_test_support.h"
#include "tests/unit/temp_dir.h"

#include <gtest/gtest.h>

#include <set>

namespace quellix {
namespace {

using table_test::RecordsOf;
using table_test::Rows;
using table_test::RowsOf;
using testing_support::TempDir;

struct SimulatedCrash {};

// Stops the program dead at the n-th file operation (counting from 0): nothing after it runs,
// and a write it stops in gets only half of its bytes to the file.
class CrashingFileSystem : public TableFileSystem {
public:
    explicit CrashingFileSystem(int crashAt) : crashAt_{crashAt} {}

    [[nodiscard]] int Operations() const noexcept { return operations_; }

    bool FileExists(const std::string& path) override { return Step(), TableFileSystem::FileExists(path); }
    os::File OpenFile(const std::string& path, os::OpenMode mode, os::Share share) override {
        Step();
        return TableFileSystem::OpenFile(path, mode, share);
    }
    long long Read(os::File& file, void* buffer, std::size_t size) override {
        Step();
        return TableFileSystem::Read(file, buffer, size);
    }
    bool Write(os::File& file, std::string_view bytes) override {
        if (operations_ == crashAt_) {
            (void)TableFileSystem::Write(file, bytes.substr(0, bytes.size() / 2));
        }
        Step();
        return TableFileSystem::Write(file, bytes);
    }
    bool FlushToDisk(os::File& file) override { return Step(), TableFileSystem::FlushToDisk(file); }
    bool CloseFile(os::File& file) override { return Step(), TableFileSystem::CloseFile(file); }
    bool RemoveFile(const std::string& path) override { return Step(), TableFileSystem::RemoveFile(path); }
    bool LinkFile(const std::string& existing, const std::string& link) override {
        return Step(), TableFileSystem::LinkFile(existing, link);
    }
    bool ReplaceFileAtomically(const std::string& from, const std::string& to) override {
        return Step(), TableFileSystem::ReplaceFileAtomically(from, to);
    }

private:
    void Step() {
        if (operations_++ == crashAt_) {
            throw SimulatedCrash{};
        }
    }

    int crashAt_;
    int operations_{};
};

// Makes chosen operations fail the way the system reports failures.
class FailingFileSystem : public TableFileSystem {
public:
    // "link", "copy", "create temporary", "write", "replace file", "open", "open backup", "read"
    std::set<std::string> failing;

    os::File OpenFile(const std::string& path, os::OpenMode mode, os::Share share) override {
        if ((mode == os::OpenMode::CreateNew && Fails("create temporary")) ||
            (mode == os::OpenMode::ReadExisting &&
             (Fails("open") || (Fails("open backup") && path.ends_with(".old"))))) {
            return os::File{};
        }
        if (mode == os::OpenMode::ReadExisting && Fails("copy") && copying_) {
            return os::File{}; // the file cannot be read for a copy
        }
        if (mode == os::OpenMode::CreateNew) {
            copying_ = false;
        }
        return TableFileSystem::OpenFile(path, mode, share);
    }
    long long Read(os::File& file, void* buffer, std::size_t size) override {
        if (Fails("read") && reads_++ > 0) {
            return -1; // a read error after the first block
        }
        return TableFileSystem::Read(file, buffer, size);
    }
    bool Write(os::File& file, std::string_view bytes) override {
        return !Fails("write") && TableFileSystem::Write(file, bytes);
    }
    bool LinkFile(const std::string& existing, const std::string& link) override {
        copying_ = true; // a copy follows a failed link
        return !Fails("link") && TableFileSystem::LinkFile(existing, link);
    }
    bool ReplaceFileAtomically(const std::string& from, const std::string& to) override {
        return !(Fails("replace file") && to.ends_with(".csv")) && TableFileSystem::ReplaceFileAtomically(from, to);
    }

private:
    [[nodiscard]] bool Fails(const std::string& what) const { return failing.contains(what); }
    int reads_{};
    bool copying_{};
};

const Rows kV1 = {{"deck", "A", "1"}};
const Rows kV2 = {{"deck", "A", "1"}, {"deck", "B", "2"}};
const Rows kV3 = {{"deck", "A", "1"}, {"deck", "B", "2"}, {"deck", "C", "3"}};

std::string TextOf(const Rows& rows) {
    const TCsvTable table = CreateTableTVChNo();
    return FormatTableText(table.FieldDefs(), RecordsOf(rows, 3));
}

void AppendRow(TCsvTable& table, const std::vector<std::optional<std::string>>& row) {
    table.Append();
    table.FieldByName("VideoDeckName").SetAsString(*row[0]);
    table.FieldByName("TVChannel").SetAsString(*row[1]);
    table.FieldByName("TVChannelNo").SetAsString(*row[2]);
    table.Post();
}

Rows LoadRows(const TempDir& dir) {
    TCsvTable table = CreateTableTVChNo(dir.File("pexTVCHNo.csv"));
    table.Open();
    Rows rows = RowsOf(table.Records());
    table.Close();
    return rows;
}

TEST(TableFileCrash, AtEveryStepOfASaveTheLastSaveSurvives) {
    int crashAt = 0;
    for (;; ++crashAt) {
        SCOPED_TRACE(crashAt);
        TempDir dir;
        dir.Write("pexTVCHNo.csv", TextOf(kV2));
        dir.Write("pexTVCHNo.old", TextOf(kV1));
        TCsvTable table = CreateTableTVChNo(dir.File("pexTVCHNo.csv"));
        table.Open();
        AppendRow(table, kV3.back());
        CrashingFileSystem fs{crashAt};
        table.SetFileSystemForTesting(fs);
        bool crashed = false;
        try {
            table.Close();
        } catch (const SimulatedCrash&) {
            crashed = true;
        }
        if (!crashed) {
            EXPECT_EQ(dir.Read("pexTVCHNo.csv"), TextOf(kV3));
            EXPECT_EQ(dir.Read("pexTVCHNo.old"), TextOf(kV2));
            EXPECT_EQ(dir.Names(), (std::vector<std::string>{"pexTVCHNo.csv", "pexTVCHNo.old"}));
            break;
        }
        // The file never left its place; the backup is a whole table, old or just refreshed.
        EXPECT_EQ(dir.Read("pexTVCHNo.csv"), TextOf(kV2));
        const std::string backup = dir.Read("pexTVCHNo.old");
        EXPECT_TRUE(backup == TextOf(kV1) || backup == TextOf(kV2));
        // The next run loads the last save, and its next save tidies up.
        EXPECT_EQ(LoadRows(dir), kV2);
        TCsvTable next = CreateTableTVChNo(dir.File("pexTVCHNo.csv"));
        next.Open();
        AppendRow(next, kV3.back());
        next.Close();
        EXPECT_EQ(dir.Read("pexTVCHNo.old"), TextOf(kV2));
        EXPECT_EQ(dir.Names(), (std::vector<std::string>{"pexTVCHNo.csv", "pexTVCHNo.old"}));
    }
    EXPECT_GE(crashAt, 8); // the save took its steps: link, backup, temporary, write, flush, replace...
}

TEST(TableFileCrash, AtEveryStepOfTheFirstSaveNothingOrTheNewTableIsFound) {
    for (int crashAt = 0;; ++crashAt) {
        SCOPED_TRACE(crashAt);
        TempDir dir;
        TCsvTable table = CreateTableTVChNo(dir.File("pexTVCHNo.csv"));
        table.Open();
        AppendRow(table, kV1.front());
        CrashingFileSystem fs{crashAt};
        table.SetFileSystemForTesting(fs);
        try {
            table.Close();
        } catch (const SimulatedCrash&) {
            const Rows rows = LoadRows(dir);
            EXPECT_TRUE(rows.empty() || rows == kV1);
            EXPECT_FALSE(dir.Exists("pexTVCHNo.$$$"));
            continue;
        }
        EXPECT_EQ(LoadRows(dir), kV1);
        break;
    }
}

struct LeftBehind {
    const char* name;
    std::optional<std::string> file, backup, temporary;
    Rows loaded;
    std::string backupAfter; // after the next Open
    bool temporarySetAside = false;
    bool logged = false;           // a recovery line for the log besides the one on the temporary set aside
    bool backupUnreadable = false; // the backup cannot be opened (another program holds it)
};

// What a cut-short save can leave, by this program or by the earlier way of saving (file renamed
// to the backup, then the temporary renamed to the file), or another program, and what the next
// Open makes of it.
std::vector<LeftBehind> LeftBehindStates() {
    const std::string whole = TextOf(kV2);
    const std::string cut = whole.substr(0, whole.size() - 5);
    const std::string cutAtALineEnd = whole.substr(0, whole.size() - 1); // between CR and LF
    const std::string otherOrder = "\"TVChannel\",\"ToolName\",\"TVChannelNo\",\r\n\"A\",\"deck\",\"1\",\r\n"
                                   "\"B\",\"deck\",\"2\",\r\n";
    const std::string otherWriter =
        "\"ToolName\",\"TVChannel\",\"TVChannelNo\"\n\"deck\",\"A\",\"1\"\n\"deck\",\"B\",\"2\"\n";
    return {
        {"only the backup", std::nullopt, TextOf(kV1), std::nullopt, kV1, TextOf(kV1), false, true},
        {"backup and whole temporary", std::nullopt, TextOf(kV1), whole, kV2, TextOf(kV1), false, true},
        {"backup and cut temporary", std::nullopt, TextOf(kV1), cut, kV1, TextOf(kV1), true, true},
        {"backup and a temporary cut at a line end", std::nullopt, TextOf(kV1), cutAtALineEnd, kV1, TextOf(kV1), true,
         true},
        {"backup and a temporary in another column order", std::nullopt, TextOf(kV1), otherOrder, kV1, TextOf(kV1),
         true, true},
        {"backup and another writer's temporary", std::nullopt, TextOf(kV1), otherWriter, kV1, TextOf(kV1), true, true},
        {"only a whole temporary", std::nullopt, std::nullopt, TextOf(kV1), kV1, "", false, true},
        {"only a cut temporary", std::nullopt, std::nullopt, cut, {}, "", true},
        {"file beside a newer temporary", TextOf(kV1), TextOf(kV1), whole, kV1, TextOf(kV1)},
        {"empty file beside a backup with records", "", TextOf(kV1), std::nullopt, kV1, TextOf(kV1), false, true},
        {"empty file without a backup", "", std::nullopt, std::nullopt, {}, ""},
        {"empty file beside a backup without records", "", TextOf({}), std::nullopt, {}, TextOf({})},
        {"empty file beside an unreadable backup", "", TextOf(kV1), std::nullopt, {}, TextOf(kV1), false, true, true},
    };
}

void Lay(const TempDir& dir, const LeftBehind& state) {
    if (state.file) {
        dir.Write("pexTVCHNo.csv", *state.file);
    }
    if (state.backup) {
        dir.Write("pexTVCHNo.old", *state.backup);
    }
    if (state.temporary) {
        dir.Write("pexTVCHNo.$$$", *state.temporary);
    }
}

// The files beside the table other than the file, its backup and its temporary.
std::vector<std::string> SetAside(const TempDir& dir) {
    std::vector<std::string> names;
    for (const std::string& name : dir.Names()) {
        if (name != "pexTVCHNo.csv" && name != "pexTVCHNo.old" && name != "pexTVCHNo.$$$") {
            names.push_back(name);
        }
    }
    return names;
}

TEST(TableFileCrash, OpenRecoversWhatACutShortSaveLeft) {
    for (const LeftBehind& state : LeftBehindStates()) {
        SCOPED_TRACE(state.name);
        TempDir dir;
        Lay(dir, state);
        TCsvTable table = CreateTableTVChNo(dir.File("pexTVCHNo.csv"));
        FailingFileSystem fs;
        if (state.backupUnreadable) {
            fs.failing = {"open backup"};
        }
        table.SetFileSystemForTesting(fs);
        std::vector<std::string> notices;
        table.SetNotice([&notices](const std::string& text) { notices.push_back(text); });
        table.Open();
        EXPECT_EQ(RowsOf(table.Records()), state.loaded);
        if (!state.loaded.empty()) {
            EXPECT_EQ(dir.Read("pexTVCHNo.csv"), TextOf(state.loaded)); // put back in place at once
        }
        EXPECT_EQ(dir.Exists("pexTVCHNo.old") ? dir.Read("pexTVCHNo.old") : "", state.backupAfter);
        table.Close();
        EXPECT_EQ(dir.Read("pexTVCHNo.csv"), TextOf(state.loaded));
        // Beside a whole file a temporary is no part of the table: an unchanged table, not
        // written, leaves it alone.
        EXPECT_EQ(dir.Exists("pexTVCHNo.$$$"), state.file && !state.file->empty() && state.temporary);
        // A temporary that was not used is kept, byte for byte, under a name of its own, and the
        // log is told where.
        const std::vector<std::string> aside = SetAside(dir);
        ASSERT_EQ(aside.size(), state.temporarySetAside ? 1U : 0U);
        EXPECT_EQ(notices.size(), (state.temporarySetAside ? 1U : 0U) + (state.logged ? 1U : 0U));
        if (state.logged && !notices.empty()) { // the line names the table
            EXPECT_NE(notices.back().find("[" + dir.File("pexTVCHNo.csv") + "]"), std::string::npos) << notices.back();
        }
        if (state.temporarySetAside) {
            EXPECT_TRUE(aside[0].starts_with("pexTVCHNo.") && aside[0].ends_with(".$$$")) << aside[0];
            // The first name tried is the time alone, with no attempt number.
            EXPECT_EQ(aside[0].size(), std::string_view{"pexTVCHNo.20091231-235959.$$$"}.size()) << aside[0];
            EXPECT_EQ(dir.Read(aside[0]), *state.temporary);
            EXPECT_NE(notices.front().find(aside[0]), std::string::npos) << notices.front();
        }
    }
}

TEST(TableFileCrash, ACrashWhileRecoveringLosesNothing) {
    for (const LeftBehind& state : LeftBehindStates()) {
        for (int crashAt = 0; !state.backupUnreadable; ++crashAt) { // no file is changed then
            SCOPED_TRACE(std::string{state.name} + " " + std::to_string(crashAt));
            TempDir dir;
            Lay(dir, state);
            TCsvTable table = CreateTableTVChNo(dir.File("pexTVCHNo.csv"));
            CrashingFileSystem fs{crashAt};
            table.SetFileSystemForTesting(fs);
            try {
                table.Open();
            } catch (const SimulatedCrash&) {
                EXPECT_EQ(LoadRows(dir), state.loaded);
                continue;
            }
            EXPECT_EQ(RowsOf(table.Records()), state.loaded);
            break;
        }
    }
}

TEST(TableFileFailure, SaveFailuresKeepTheFileAndReportWhatMatters) {
    const struct {
        const char* name;
        std::set<std::string> failing;
        bool raises;
        Rows fileAfter;
        Rows backupAfter;
        std::string error = {}; // what the error names
    } cases[] = {
        {"no hard links: the backup is copied", {"link"}, false, kV3, kV2},
        {"no backup at all: the save goes on", {"link", "copy"}, false, kV3, kV1},
        {"temporary cannot be created", {"create temporary"}, true, kV2, kV2, "一時ファイル"},
        {"temporary cannot be written", {"write"}, true, kV2, kV2, "一時ファイル"},
        {"file cannot be replaced", {"replace file"}, true, kV2, kV2, "テーブルファイル"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        dir.Write("pexTVCHNo.csv", TextOf(kV2));
        dir.Write("pexTVCHNo.old", TextOf(kV1));
        TCsvTable table = CreateTableTVChNo(dir.File("pexTVCHNo.csv"));
        table.Open();
        AppendRow(table, kV3.back());
        FailingFileSystem fs;
        fs.failing = c.failing;
        table.SetFileSystemForTesting(fs);
        if (c.raises) {
            try {
                table.Close();
                ADD_FAILURE() << "no error";
            } catch (const IoError& error) {
                EXPECT_TRUE(std::string{error.what()}.starts_with(c.error)) << error.what();
            }
        } else {
            table.Close();
        }
        EXPECT_FALSE(table.Active());
        EXPECT_EQ(dir.Read("pexTVCHNo.csv"), TextOf(c.fileAfter));
        EXPECT_EQ(dir.Read("pexTVCHNo.old"), TextOf(c.backupAfter));
        EXPECT_FALSE(dir.Exists("pexTVCHNo.$$$"));
    }
}

TEST(TableFileFailure, AFileThatCannotBeReadIsNeverWrittenBack) {
    // Larger than one 8192-byte block, so that "read" fails half-way.
    Rows many;
    for (int i = 0; i < 400; ++i) {
        many.push_back({"deck", "Station " + std::to_string(i), std::to_string(i)});
    }
    for (const char* failing : {"open", "read"}) {
        SCOPED_TRACE(failing);
        TempDir dir;
        dir.Write("pexTVCHNo.csv", TextOf(many));
        TCsvTable table = CreateTableTVChNo(dir.File("pexTVCHNo.csv"));
        FailingFileSystem fs;
        fs.failing = {failing};
        table.SetFileSystemForTesting(fs);
        EXPECT_THROW(table.Open(), IoError);
        EXPECT_FALSE(table.Active());
        EXPECT_THROW(table.Append(), QuellixError);
        table.Close(); // what a caller's clean-up does: nothing to write
        EXPECT_EQ(dir.Read("pexTVCHNo.csv"), TextOf(many));
        EXPECT_EQ(dir.Names(), std::vector<std::string>{"pexTVCHNo.csv"});
    }
}

} // namespace
} // namespace quellix
