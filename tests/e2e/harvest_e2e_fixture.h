// The harvest's end-to-end fixture: the real quellix.exe importing with the Task Scheduler's listing
// printed by a stand-in tool in place of the system's schtasks.exe, in a host root of its own.
#pragma once

#include "tests/e2e/e2e_support.h"

#include "support/cp932_win.h"
#include "tests/shared/task_listing_rows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace quellix::e2e {

inline constexpr int kIdButtonStop = 102;

inline std::string Listing(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& line : lines) {
        out += line;
        out += testing::kListingLineEnd;
    }
    return out;
}

inline std::string TvpiFile(const std::string& station, const char* year, const char* month, const char* day,
                            const char* start, const char* end, const std::string& title) {
    return "Content-type: application/x-tv-program-info; charset=shift_jis\r\nversion: 1\r\nstation: " + station +
           "\r\nyear: " + year + "\r\nmonth: " + month + "\r\ndate: " + day + "\r\nstart: " + start +
           "\r\nend: " + end + "\r\nprogram-title: " + title + "\r\ngenre: 0\r\n\r\n\r\n  \r\n\r\n";
}

class HarvestTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetRootPath(root.Path());
        ASSERT_TRUE(::CreateDirectoryW((root / L"reserve").c_str(), nullptr));
        ASSERT_TRUE(::CreateDirectoryW(reserve.c_str(), nullptr));
        ASSERT_TRUE(::CreateDirectoryW(temp.c_str(), nullptr));
        WriteFileBytes(root / L"pexTVCHNo.csv", "\"ToolName\",\"TVChannel\",\"TVChannelNo\",\r\n"
                                                "\"GigaPocket\",\"TV Alpha\",\"21\",\r\n"
                                                "\"GigaPocket\",\"ソフト放送\",\"8\",\r\n"
                                                "\"GigaPocket\",\"表示テレビ\",\"12\",\r\n"
                                                "\"録画ソ\",\"Deck Station\",\"21\",\r\n"
                                                "\"Other\",\"Elsewhere\",\"5\",\r\n");
        // Written as another program might: line feeds only, no closing commas.
        WriteFileBytes(root / L"tvconvert.csv", "\"元のTV局名\",\"新しいTV局名\"\n\"局A\",\"局B\"\n");
        WriteFileBytes(root / L"tvchdata.csv", "\"TVChannel\",\"TVChannelNo\",\"TVURL\"\n\"局A\",\"21\",\"\"\n");
    }

    // Runs an import of `reserveDir` with the listing printed by the stand-in.
    RunResult Import(const std::wstring& reserveDir, const std::string& listing) {
        WriteFileBytes(root / L"listing.csv", listing);
        const ScopedEnvironment listingFile{L"QUELLIX_SCHTASKS_LISTING", root / L"listing.csv"};
        return RunQuellix({reserveDir});
    }

    // The same import with the check run first over the same files and listing: every reservation
    // file the check's report named is there after the import, and every file the import made or
    // changed is one it named (a file written again with the same bytes cannot be told apart).
    RunResult ImportAsForetold(const std::wstring& reserveDir, const std::string& listing) {
        const std::set<std::string> foretold = Foretold(reserveDir, listing);
        const std::map<std::string, std::string> before = Files(reserveDir);
        RunResult result = Import(reserveDir, listing);
        const std::map<std::string, std::string> after = Files(reserveDir);
        for (const std::string& name : foretold) {
            EXPECT_TRUE(after.contains(name)) << name << ", named by the check, was not written";
        }
        for (const auto& [name, bytes] : after) {
            const auto was = before.find(name);
            if (was == before.end() || was->second != bytes) {
                EXPECT_TRUE(foretold.contains(name)) << name << " was written, but the check did not name it";
            }
        }
        return result;
    }

    // Runs the check and waits for the report to be handed to the viewer; the report's lines.
    std::vector<std::string> Check(const std::wstring& reserveDir, const std::string& listing) {
        WriteFileBytes(root / L"listing.csv", listing);
        const ScopedEnvironment listingFile{L"QUELLIX_SCHTASKS_LISTING", root / L"listing.csv"};
        const std::wstring record = root / L"viewer.txt";
        const ScopedEnvironment viewerVariable{L"QUELLIX_CHECK_VIEWER", BinDir() + L"\\report_viewer.exe"};
        const ScopedEnvironment recordVariable{L"QUELLIX_VIEWER_RECORD", record};
        const RunResult result = RunQuellix({reserveDir, L" /Check "});
        EXPECT_TRUE(result.finished);
        EXPECT_EQ(result.exitCode, 0U);
        // The viewer makes its record first and writes its command line after: wait for the name.
        EXPECT_TRUE(WaitUntil([&] { return ReadFileBytes(record).find("quellix-check.txt") != std::string::npos; }))
            << "the report was not handed to the viewer: " << ReadFileBytes(record);
        ::DeleteFileW(record.c_str());
        const std::string report = ReadFileBytes(temp + L"\\quellix-check.txt");
        EXPECT_EQ(report.find("\n"), report.find("\r\n") + 1) << "CR LF line ends";
        return ReadLines(temp + L"\\quellix-check.txt");
    }

    // The reservation files the check's report names ("予約ファイル: <name>"). The report is
    // removed again, so the temporary folder is as the import will find it.
    std::set<std::string> Foretold(const std::wstring& reserveDir, const std::string& listing) {
        std::set<std::string> names;
        const std::string kFileLine = "       予約ファイル: ";
        for (const std::string& line : Check(reserveDir, listing)) {
            if (line.starts_with(kFileLine)) {
                names.insert(line.substr(kFileLine.size()));
            }
        }
        ::DeleteFileW((temp + L"\\quellix-check.txt").c_str());
        return names;
    }

    std::map<std::string, std::string> Files(const std::wstring& directory) const {
        std::map<std::string, std::string> files;
        for (const std::wstring& name : ListDir(directory)) {
            files[SjisFromWide(name)] = ReadFileBytes(directory + L"\\" + name);
        }
        return files;
    }

    // The log lines of the harvest, from its start line to its end line.
    std::vector<std::string> HarvestLog() const {
        const std::vector<std::string> lines = ReadLines(root / L"pex.log");
        const auto first = std::find(lines.begin(), lines.end(), "Quellix開始");
        const auto last = std::find(lines.begin(), lines.end(), "Quellix終了");
        if (first == lines.end() || last == lines.end() || last < first) {
            ADD_FAILURE() << "no harvest in the log";
            return lines;
        }
        return {first, last + 1};
    }

    std::string WorkFile() const { return SjisFromWide(temp) + "\\task.csv"; }

    TempDir root;
    std::wstring reserve = root / L"reserve\\GigaPocket";
    std::wstring temp = root / L"temp";
    // The program's work file goes to this test's own temporary folder.
    ScopedEnvironment tempVariable{L"TEMP", temp};
    ScopedEnvironment tmpVariable{L"TMP", temp}; // the system takes TMP before TEMP
};

class StandInHarvestTest : public HarvestTest {
protected:
    SystemSchtasks schtasks{SystemSchtasks::Kind::StandIn};
};

} // namespace quellix::e2e
