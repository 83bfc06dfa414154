// The channel-file import end to end: the real quellix.exe with the tuner's registry values, its
// channel files in the three places where they are looked for, and the channel-number table and
// pex.ini it leaves in the host's root directory.
#include "tests/e2e/e2e_support.h"

#include "support/cp932_win.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace quellix::e2e {
namespace {

const std::wstring kTunerKey = L"Software\\BUFFALO INC.";
const std::wstring kAppCfgKey = L"Software\\BUFFALO INC.\\PCastTVDigital\\AppCfg";
const std::wstring kProgramKey = L"Software\\BUFFALO INC.\\PCastTVDigital\\PCastDigi";
const std::wstring kSharedChannels = L"C:\\ProgramData\\BUFFALO INC\\PCastDigi\\channels";
const std::wstring kDefaultTunerChannels = L"C:\\Program Files\\BUFFALO\\PCastDigi\\channels";
const std::wstring kDriveRootChannels = L"C:\\channels"; // "\channels" on the drive of C:\ working directories
const std::string kChNoHeader = "\"ToolName\",\"TVChannel\",\"TVChannelNo\",";

// A folder created with every missing level of its path; the levels it created are removed with
// their content at the end, so the fixed folders on C: leave nothing behind.
class CreatedFolder {
public:
    explicit CreatedFolder(const std::wstring& path) : path_{path} {
        for (std::size_t slash = path.find(L'\\', 3);; slash = path.find(L'\\', slash + 1)) {
            const std::wstring level = path.substr(0, slash);
            if (::CreateDirectoryW(level.c_str(), nullptr) && top_.empty()) {
                top_ = level;
            }
            if (slash == std::wstring::npos) {
                break;
            }
        }
    }
    CreatedFolder(const CreatedFolder&) = delete;
    CreatedFolder& operator=(const CreatedFolder&) = delete;
    ~CreatedFolder() {
        if (!top_.empty()) {
            RemoveTree(top_);
        }
    }
    [[nodiscard]] std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
    std::wstring top_;
};

std::string ChannelFile(const std::string& station, const std::string& number) {
    return "[Setting]\r\n1=Ignored,\r\n[Station]\r\n" + number + "=" + station + ",0x7FE0,1\r\n[End_Station]\r\n";
}

std::string Row(const std::string& deck, const std::string& station, const std::string& number) {
    return "\"" + deck + "\",\"" + station + "\",\"" + number + "\",";
}

class ChannelImportE2E : public testing::Test {
protected:
    void SetUp() override {
        // The test prefix has no tuner software: its registry tree is the tests' own.
        DeleteRegistryTree(kTunerKey);
        SetRootPath(root.Path());
        ASSERT_TRUE(::CreateDirectoryW((root / L"reserve").c_str(), nullptr));
        ASSERT_TRUE(::CreateDirectoryW(reserve.c_str(), nullptr));
        ASSERT_TRUE(::CreateDirectoryW(tunerDir.c_str(), nullptr));
        ASSERT_TRUE(::CreateDirectoryW((tunerDir + L"\\channels").c_str(), nullptr));
    }
    void TearDown() override { DeleteRegistryTree(kTunerKey); }

    // An import run for deck "Deck1", from the root directory as working directory (drive C:).
    void RunImport() {
        ProcessOptions options;
        options.workingDirectory = root.Path();
        const RunResult result = RunQuellix({reserve}, kEventLimitMs, options);
        ASSERT_TRUE(result.finished);
        EXPECT_EQ(result.exitCode, 0U);
    }
    std::vector<std::string> ChNoLines() const { return ReadLines(root / L"pexTVCHNo.csv"); }
    void WriteChNo(const std::vector<std::string>& rows) const {
        std::string text = kChNoHeader + "\r\n";
        for (const std::string& row : rows) {
            text += row + "\r\n";
        }
        WriteFileBytes(root / L"pexTVCHNo.csv", text);
    }
    void SetPdigiDir(const std::string& text) const {
        WriteFileBytes(root / L"pex.ini", "[TFormPdigi]\r\nPdigiDir_Text=" + text + "\r\n");
    }
    // The channel-file directory as the settings store kept it at the end of the run.
    std::string PdigiDir() const {
        for (const std::string& line : ReadLines(root / L"pex.ini")) {
            if (line.rfind("PdigiDir_Text=", 0) == 0) {
                return line.substr(14);
            }
        }
        return "(no PdigiDir_Text)";
    }

    TempDir root;
    std::wstring reserve = root / L"reserve\\Deck1";
    std::wstring tunerDir = root / L"tuner";
    SystemSchtasks schtasks{SystemSchtasks::Kind::StandIn}; // lists no tasks
};

TEST_F(ChannelImportE2E, AreaNumberNamesTheChannelFile) {
    SetRegistryString(kProgramKey, L"Dir", tunerDir);
    for (const char* number : {"00", "07", "7", "123"}) {
        WriteFileBytes(tunerDir + L"\\channels\\" + WideFromSjis(number) + L"_ChFile.txt",
                       ChannelFile(std::string{"S"} + number, "5"));
    }
    const struct {
        const char* name;
        std::function<void()> setUp;
        const char* station;
    } cases[] = {
        {"no AppCfg key", [] {}, "S00"},
        {"LocationIdx absent", [] { SetRegistryString(kAppCfgKey, L"Other", L"7"); }, "S00"},
        {"LocationIdx 7", [] { SetRegistryDword(kAppCfgKey, L"LocationIdx", 7); }, "S07"},
        {"LocationIdx 123", [] { SetRegistryDword(kAppCfgKey, L"LocationIdx", 123); }, "S123"},
        {"LocationIdx of the wrong type", [] { SetRegistryString(kAppCfgKey, L"LocationIdx", L"7"); }, "S00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteRegistryTree(kAppCfgKey);
        c.setUp();
        WriteChNo({});
        RunImport();
        EXPECT_EQ(ChNoLines(), (std::vector<std::string>{kChNoHeader, Row("Deck1", c.station, "5")}));
    }
}

TEST_F(ChannelImportE2E, CandidatesWinInTurnAndNoneLeavesRowsAndPdigiDirAlone) {
    // The user's directory ends in ソ (second byte 0x5C) and has no backslash of its own.
    const std::wstring settingDir = root / WideFromSjis("設定ソ");
    ASSERT_TRUE(::CreateDirectoryW(settingDir.c_str(), nullptr));
    const CreatedFolder shared{kSharedChannels};
    SetRegistryString(kProgramKey, L"Dir", tunerDir);
    SetPdigiDir(SjisFromWide(settingDir));
    WriteChNo({Row("Other", "表示", "9")});

    const std::wstring files[] = {settingDir + L"\\00_ChFile.txt", tunerDir + L"\\channels\\00_ChFile.txt",
                                  shared.File(L"00_ChFile.txt")};
    const std::string directories[] = {SjisFromWide(settingDir) + "\\", SjisFromWide(tunerDir) + "\\channels\\",
                                       "C:\\ProgramData\\BUFFALO INC\\PCastDigi\\channels\\"};
    for (int i = 0; i < 3; ++i) {
        WriteFileBytes(files[i], ChannelFile("表示", std::to_string(i + 1)));
    }
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i + 1);
        RunImport();
        EXPECT_EQ(PdigiDir(), directories[i]);
        EXPECT_EQ(ChNoLines(), (std::vector<std::string>{kChNoHeader, Row("Other", "表示", "9"),
                                                         Row("Deck1", "表示", std::to_string(i + 1))}));
        ASSERT_TRUE(::DeleteFileW(files[i].c_str()));
    }

    // None left: no row changes, PdigiDir keeps its text, a table file in another form stays as it
    // is, and only the missing tables are written.
    SetPdigiDir("D:\\nowhere\\");
    const std::string otherForm = "\"ToolName\",\"TVChannel\",\"TVChannelNo\"\n\"Deck1\",\"表示\",\"3\"\n";
    WriteFileBytes(root / L"pexTVCHNo.csv", otherForm);
    ::DeleteFileW((root / L"tvconvert.csv").c_str());
    ::DeleteFileW((root / L"tvchdata.csv").c_str());
    RunImport();
    EXPECT_EQ(PdigiDir(), "D:\\nowhere\\");
    EXPECT_EQ(ReadFileBytes(root / L"pexTVCHNo.csv"), otherForm);
    EXPECT_EQ(ReadFileBytes(root / L"tvconvert.csv"), "\"元のTV局名\",\"新しいTV局名\",\r\n");
    EXPECT_EQ(ReadFileBytes(root / L"tvchdata.csv"), "\"TVChannel\",\"TVChannelNo\",\"TVURL\",\r\n");
}

// An empty channel-file setting and an empty or missing "Dir" are no settings: the drive's root
// ("\NN_ChFile.txt", "\channels\NN_ChFile.txt"), where any local user may put a file, is never read.
TEST_F(ChannelImportE2E, AnEmptyDirectorySettingIsPassedOver) {
    const CreatedFolder rootChannels{kDriveRootChannels};
    const CreatedFolder shared{kSharedChannels};
    WriteFileBytes(rootChannels.File(L"00_ChFile.txt"), ChannelFile("Planted", "1"));
    WriteFileBytes(L"C:\\00_ChFile.txt", ChannelFile("Planted", "1"));
    WriteFileBytes(shared.File(L"00_ChFile.txt"), ChannelFile("Shared", "2"));
    const struct {
        const char* name;
        std::function<void()> setUp;
    } cases[] = {
        {"key without Dir", [] { SetRegistryString(kProgramKey, L"Other", L"x"); }},
        {"empty Dir", [] { SetRegistryString(kProgramKey, L"Dir", L""); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteRegistryTree(kTunerKey);
        c.setUp();
        SetPdigiDir("");
        WriteChNo({});
        RunImport();
        EXPECT_EQ(PdigiDir(), "C:\\ProgramData\\BUFFALO INC\\PCastDigi\\channels\\");
        EXPECT_EQ(ChNoLines(), (std::vector<std::string>{kChNoHeader, Row("Deck1", "Shared", "2")}));
    }
    ::DeleteFileW(L"C:\\00_ChFile.txt");
    ::DeleteFileW(rootChannels.File(L"00_ChFile.txt").c_str());
}

TEST_F(ChannelImportE2E, TunerDirectoryFallsBackWhenTheRegistryLacksIt) {
    const struct {
        const char* name;
        std::function<void()> setUp;
        std::wstring channels;
        std::string pdigiDir;
    } cases[] = {
        {"no key", [] {}, kDefaultTunerChannels, "C:\\Program Files\\BUFFALO\\PCastDigi\\channels\\"},
        // The tuner is a 32-bit program: on 64-bit Windows (Wine's prefix here) it is installed in
        // the system's folder for 32-bit programs.
        {"no key, 32-bit programs' folder", [] {}, L"C:\\Program Files (x86)\\BUFFALO\\PCastDigi\\channels",
         "C:\\Program Files (x86)\\BUFFALO\\PCastDigi\\channels\\"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteRegistryTree(kTunerKey);
        c.setUp();
        const CreatedFolder channels{c.channels};
        WriteFileBytes(channels.File(L"00_ChFile.txt"), ChannelFile("ソ", "21"));
        SetPdigiDir("");
        WriteChNo({});
        RunImport();
        EXPECT_EQ(PdigiDir(), c.pdigiDir);
        EXPECT_EQ(ChNoLines(), (std::vector<std::string>{kChNoHeader, Row("Deck1", "ソ", "21")}));
        ::DeleteFileW(channels.File(L"00_ChFile.txt").c_str());
    }
}

// A tuner directory whose name code page 932 cannot hold is told in the log, never taken by a
// look-alike name (é as e, here a directory that exists); the shared folder is looked in next.
TEST_F(ChannelImportE2E, ATunerDirectoryOutsideCodePage932IsLoggedAndPassedOver) {
    const std::wstring lookAlike = root / L"tuner-cafe";
    ASSERT_TRUE(::CreateDirectoryW(lookAlike.c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW((lookAlike + L"\\channels").c_str(), nullptr));
    WriteFileBytes(lookAlike + L"\\channels\\00_ChFile.txt", ChannelFile("A", "1"));
    const CreatedFolder shared{kSharedChannels};
    WriteFileBytes(shared.File(L"00_ChFile.txt"), ChannelFile("A", "2"));
    SetRegistryString(kProgramKey, L"Dir", root / L"tuner-caf\u00e9");
    WriteChNo({});
    RunImport();
    EXPECT_EQ(ChNoLines(), (std::vector<std::string>{kChNoHeader, Row("Deck1", "A", "2")}));
    const std::string error = "pex.log: フォルダー[" + SjisFromWide(root.Path()) +
                              "\\tuner-caf?]は、名前に日本語版 Windows の文字コード (Shift_JIS) にない文字 (?) "
                              "があるため使いません. (C.ERROR)";
    const std::vector<std::string> log = ReadLines(root / L"pex.log");
    EXPECT_EQ(std::count(log.begin(), log.end(), error), 1) << error;
}

TEST_F(ChannelImportE2E, AChannelFileHeldOpenForWritingIsPassedOver) {
    const TempDir settingDir;
    SetRegistryString(kProgramKey, L"Dir", tunerDir);
    SetPdigiDir(SjisFromWide(settingDir.Path()) + "\\");
    WriteFileBytes(settingDir / L"00_ChFile.txt", ChannelFile("A", "1"));
    WriteFileBytes(tunerDir + L"\\channels\\00_ChFile.txt", ChannelFile("A", "2"));
    const struct {
        const char* name;
        DWORD access;
        DWORD share;
        const char* number;
    } cases[] = {
        {"held for writing", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, "2"},
        {"held for reading", GENERIC_READ, FILE_SHARE_READ, "1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const UniqueFileHandle held{::CreateFileW((settingDir / L"00_ChFile.txt").c_str(), c.access, c.share, nullptr,
                                                  OPEN_EXISTING, 0, nullptr)};
        ASSERT_TRUE(held);
        SetPdigiDir(SjisFromWide(settingDir.Path()) + "\\");
        WriteChNo({});
        RunImport();
        EXPECT_EQ(ChNoLines(), (std::vector<std::string>{kChNoHeader, Row("Deck1", "A", c.number)}));
    }
}

TEST_F(ChannelImportE2E, AStartWithoutArgumentsFillsPdigiDirButChangesNoRow) {
    SetRegistryString(kProgramKey, L"Dir", tunerDir);
    WriteFileBytes(tunerDir + L"\\channels\\00_ChFile.txt", ChannelFile("A", "1"));
    WriteChNo({Row("Deck1", "A", "9")});
    ProcessOptions options;
    options.workingDirectory = root.Path();
    PROCESS_INFORMATION process = StartQuellix({}, options);
    const HWND window = WaitForMainWindow(process.dwProcessId);
    // The window can be found before its first activation: close it once the import has written
    // back its last table.
    const bool imported = WaitUntil([&] { return FileExists(root / L"tvchdata.csv"); });
    if (window != nullptr) {
        ::PostMessageW(window, WM_CLOSE, 0, 0);
    }
    const RunResult result = WaitAndClose(process); // ends it by force when it did not close
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(imported);
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(PdigiDir(), SjisFromWide(tunerDir) + "\\channels\\");
    EXPECT_EQ(ChNoLines(), (std::vector<std::string>{kChNoHeader, Row("Deck1", "A", "9")}));
}

TEST_F(ChannelImportE2E, ATableThatCannotBeReadIsLoggedAndTheRunGoesOn) {
    SetRegistryString(kProgramKey, L"Dir", tunerDir);
    WriteFileBytes(tunerDir + L"\\channels\\00_ChFile.txt", ChannelFile("A", "1"));
    WriteChNo({Row("Deck1", "A", "9")});
    WriteFileBytes(reserve + L"\\old.tvpi", "x");
    {
        // Nobody else may open the channel-number table while it is held.
        const UniqueFileHandle held{
            ::CreateFileW((root / L"pexTVCHNo.csv").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)};
        ASSERT_TRUE(held);
        RunImport();
    }
    const std::string log = ReadFileBytes(root / L"pex.log");
    EXPECT_NE(log.find("pexTVCHNo.csv"), std::string::npos) << log;
    EXPECT_NE(log.find(" (C.ERROR)\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("--- END ---"), std::string::npos) << log;
    // The import run ran, but without its tables it read no listing: the last reservations stay.
    EXPECT_NE(log.find("\r\nQuellix開始\r\n"), std::string::npos) << log;
    EXPECT_TRUE(FileExists(reserve + L"\\old.tvpi"));
    EXPECT_EQ(ChNoLines(), (std::vector<std::string>{kChNoHeader, Row("Deck1", "A", "9")}));
    // The table opened before it was closed again unwritten: a run whose tables cannot all be
    // opened writes none of them.
    EXPECT_FALSE(FileExists(root.Path() + L"\\tvconvert.csv"));
}

} // namespace
} // namespace quellix::e2e

namespace quellix::e2e {
namespace {

std::string Utf8Bytes(const std::wstring& text) {
    const int size =
        ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

std::string Utf16Bytes(const std::wstring& text) {
    std::string out = "\xFF\xFE";
    for (const wchar_t unit : text) {
        out += static_cast<char>(unit & 0xFF);
        out += static_cast<char>(unit >> 8);
    }
    return out;
}

// Files as today's Notepad and Excel save them: a UTF-16 channel-number table keeps every row of
// every recorder (its file kept as the backup), a UTF-8 rename table renames (a blank new name
// renames nothing), a UTF-8 channel file books the Shift_JIS station, and a UTF-16 pex.ini gives
// the stored folder and stays UTF-16 with its one section.
TEST_F(ChannelImportE2E, FilesSavedInUtf8OrUtf16AreReadAsTheTextTheyHold) {
    const std::wstring settingDir = root / L"\u8a2d\u5b9a"; // 設定
    ASSERT_TRUE(::CreateDirectoryW(settingDir.c_str(), nullptr));
    const std::wstring iniText = L"[TFormPdigi]\r\nPdigiDir_Text=" + settingDir + L"\r\n[Pexlan]\r\nName=\u8868\r\n";
    // The run stores the folder where it found the channel file, with its closing backslash.
    const std::wstring stored = L"[TFormPdigi]\r\nPdigiDir_Text=" + settingDir + L"\\\r\n";
    WriteFileBytes(root / L"pex.ini", Utf16Bytes(iniText));
    // 局一, 局二, 局二改, 表示
    WriteFileBytes(settingDir + L"\\00_ChFile.txt",
                   Utf8Bytes(L"[Station]\r\n21=\u5c40\u4e00,1\r\n22=\u5c40\u4e8c,2\r\n[End_Station]\r\n"));
    const std::string chNo =
        Utf16Bytes(L"\"ToolName\",\"TVChannel\",\"TVChannelNo\",\r\n\"Other\",\"\u8868\u793a\",\"5\","
                   L"\r\n\"Deck1\",\"\u5c40\u4e00\",\"9\",\r\n");
    WriteFileBytes(root / L"pexTVCHNo.csv", chNo);
    const std::string tv =
        "\xEF\xBB\xBF" + Utf8Bytes(L"\u5143\u306eTV\u5c40\u540d,\u65b0\u3057\u3044TV\u5c40\u540d\r\n"
                                   L"\"\u5c40\u4e00\" ,\"\"\r\n\u5c40\u4e8c ,\u5c40\u4e8c\u6539\r\n");
    WriteFileBytes(root / L"tvconvert.csv", tv);

    RunImport();
    EXPECT_EQ(ChNoLines(), (std::vector<std::string>{kChNoHeader, Row("Other", "表示", "5"), Row("Deck1", "局一", "21"),
                                                     Row("Deck1", "局二改", "22")}));
    EXPECT_EQ(ReadFileBytes(root / L"pexTVCHNo.old"), chNo);
    EXPECT_EQ(ReadFileBytes(root / L"tvconvert.csv"), tv);
    const std::string ini = ReadFileBytes(root / L"pex.ini");
    ASSERT_EQ(ini.substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(ini.substr(0, Utf16Bytes(stored).size()), Utf16Bytes(stored));
    EXPECT_NE(ini.find(Utf16Bytes(L"[Pexlan]\r\nName=\u8868\r\n").substr(2)), std::string::npos);
    EXPECT_EQ(ini.find(Utf16Bytes(L"[TFormPdigi]").substr(2), 3), std::string::npos) << "one section only";
    const std::vector<std::string> log = ReadLines(root / L"pex.log");
    const std::string rewritten = "テーブルファイル[" + SjisFromWide(root.Path()) +
                                  "\\pexTVCHNo.csv]はUTF-16LEで読み込み、シフトJISで書き直しました(元のファイルは[" +
                                  SjisFromWide(root.Path()) + "\\pexTVCHNo.old])";
    EXPECT_EQ(std::count_if(log.begin(), log.end(),
                            [&](const std::string& line) { return line.find(rewritten) != std::string::npos; }),
              1)
        << rewritten;
}

// A tuner folder stored as REG_EXPAND_SZ is expanded, as that type asks.
TEST_F(ChannelImportE2E, AnExpandableTunerDirectoryIsExpanded) {
    const std::wstring value = L"%QUELLIX_TEST_TUNER%";
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, kProgramKey.c_str(), L"Dir", REG_EXPAND_SZ, value.c_str(),
                                static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
    WriteFileBytes(tunerDir + L"\\channels\\00_ChFile.txt", ChannelFile("表示", "7"));
    WriteChNo({});
    ProcessOptions options;
    options.workingDirectory = root.Path();
    options.extraEnvironment = {L"QUELLIX_TEST_TUNER=" + tunerDir};
    const RunResult result = RunQuellix({reserve}, 60000, options);
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(ChNoLines(), (std::vector<std::string>{kChNoHeader, Row("Deck1", "表示", "7")}));
}

} // namespace
} // namespace quellix::e2e
