#include "app/check_run_win.h"

#include "app/check_report.h"
#include "app/check_watch.h"
#include "app/command_line.h"
#include "app/host_root_win.h"
#include "app/run_controller.h"
#include "app/tuner_settings_win.h"
#include "channels/channel_file.h"
#include "channels/channel_import.h"
#include "channels/channel_tables.h"
#include "support/cp932_win.h"
#include "support/date_formats_win.h"
#include "support/ini_file.h"
#include "support/os.h"
#include "support/settings_values.h"
#include "support/shell_open_win.h"
#include "support/system_folders_win.h"
#include "support/text.h"
#include "support/version_info.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>

namespace quellix {

namespace {

// No window: the channel-file directory comes from pex.ini, as the settings window would show it.
class CheckView final : public RunView {
public:
    explicit CheckView(std::wstring channelDir) : channelDir_{std::move(channelDir)} {}
    [[nodiscard]] std::string StatusText() const override { return {}; }
    void SetStatusText(std::string) override {}
    void SetProgress(int) override {}
    void EnableRunButton(RunButton, bool) override {}
    void PumpMessages() override {}
    void HideSettingLabel() override {}
    [[nodiscard]] std::wstring ChannelDirText() const override { return channelDir_; }
    void SetChannelDirText(const std::wstring&) override {}
    void Close() override {}

private:
    std::wstring channelDir_;
};

std::string Stamp(const os::LocalDateTime& t) {
    return std::to_string(t.year) + "/" + TwoDigits(t.month) + "/" + TwoDigits(t.day) + " " + TwoDigits(t.hour) + ":" +
           TwoDigits(t.minute) + ":" + TwoDigits(t.second);
}

std::string WindowsVersion() {
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    const FARPROC proc = ntdll != nullptr ? ::GetProcAddress(ntdll, "RtlGetVersion") : nullptr;
    if (proc == nullptr || reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void*>(proc))(&info) != 0) {
        return {};
    }
    return std::to_string(info.dwMajorVersion) + "." + std::to_string(info.dwMinorVersion) + "." +
           std::to_string(info.dwBuildNumber);
}

PlaceState ProbeChannelFile(const std::string& path) {
    const std::wstring wide = WideFromSjis(path);
    const HANDLE file = ::CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        ::CloseHandle(file);
        return PlaceState::Found;
    }
    switch (::GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
        return PlaceState::Missing;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return PlaceState::Held;
    default:
        return PlaceState::Unreadable;
    }
}

// A file that the system removes itself when its handle closes: nothing is left behind.
bool DirectoryWritable(const std::string& dir) {
    const std::wstring probe =
        WideFromSjis(dir) + L"quellix-check-" + std::to_wstring(::GetCurrentProcessId()) + L".tmp";
    const HANDLE file = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    ::CloseHandle(file);
    return true;
}

std::vector<DeckRow> DeckRows(TCsvTable& table, std::string_view deckName) {
    std::vector<DeckRow> rows;
    const TableRecords& records = table.Records();
    const std::size_t deck = table.FieldIndex("VideoDeckName");
    const std::size_t station = table.FieldIndex("TVChannel");
    const std::size_t number = table.FieldIndex("TVChannelNo");
    for (std::size_t r = 0; r < records.RecordCount(); ++r) {
        if (records.Get(r, deck).value_or("") == deckName) {
            rows.push_back(
                {std::string{records.Get(r, number).value_or("")}, std::string{records.Get(r, station).value_or("")}});
        }
    }
    return rows;
}

// Where Windows keeps this user's copies of files that a program without a manifest wrote under
// a protected folder: %LOCALAPPDATA%\VirtualStore\<the path without its drive>.
void FindVirtualStore(const std::string& rootDir, CheckFacts& facts) {
    wchar_t local[MAX_PATH]{};
    if (rootDir.size() < 3 || rootDir[1] != ':' ||
        FAILED(::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, local))) {
        return;
    }
    const std::string store =
        IncludeTrailingBackslash(SjisFromWide(local)) + "VirtualStore\\" + IncludeTrailingBackslash(rootDir.substr(3));
    for (const std::string_view name : {std::string_view{"pex.log"}, std::string_view{"pex.ini"}, kTableTVFileName,
                                        kTableTVChNoFileName, kTableTVChDataFileName}) {
        if (os::FileExists(store + std::string{name})) {
            facts.FilesInVirtualStore.emplace_back(name);
        }
    }
    if (!facts.FilesInVirtualStore.empty()) {
        facts.VirtualStore = store;
    }
}

void ReadStations(const std::string& channelFile, TCsvTable& tableTV, std::size_t nameSize, CheckFacts& facts) {
    const std::optional<std::string> bytes = ini::ReadFileText(channelFile);
    if (!bytes) {
        return;
    }
    tableTV.Open();
    BytesLineSource lines{*bytes};
    ChannelBlockScanner scanner;
    while (!lines.Eof()) {
        const std::string line = lines.ReadLine();
        const std::optional<ChannelEntry> entry = scanner.Feed(line);
        if (!entry) {
            continue;
        }
        if (entry->TVChannelNo.empty() || entry->TVChannel.empty()) {
            if (!Trim(line).empty()) {
                facts.UnreadableLines.push_back(line);
            }
            continue;
        }
        const std::string renamed = RenamedStation(*entry, tableTV);
        facts.Stations.push_back(
            {entry->TVChannelNo, entry->TVChannel, renamed, std::string{StoredStationName(renamed, nameSize)}});
    }
    tableTV.Close();
}

} // namespace

void RunCheck(const std::vector<std::string>& arguments, const std::string& settingsSection,
              const wchar_t* instanceMutex) {
    CheckFacts facts;
    facts.Now = Stamp(os::Now());
    TVersion version;
    ReadVersionInfo(os::ExecutablePath(), version);
    facts.ProgramVersion = version.FileVersion;
    facts.WindowsVersion = WindowsVersion();
    facts.CodePage = ::GetACP();
    const DateTimeFormats formats = UserDateTimeFormats();
    facts.ShortDate = formats.ShortDate;
    facts.TimeFormat = formats.TimeFormat;
    if (const HANDLE other = ::OpenMutexW(SYNCHRONIZE, FALSE, instanceMutex)) {
        facts.SettingsWindowOpen = true;
        ::CloseHandle(other);
    }

    const std::string rootDir = HostRootDir();
    if (HostRootPathValue()) {
        facts.RootPath = rootDir;
        facts.RootExists = os::DirectoryExists(rootDir);
    }
    facts.LogFile = RootFile(rootDir, "pex.log");
    FindVirtualStore(rootDir, facts);

    const std::string firstArgument = arguments.empty() ? std::string{} : arguments.front();
    std::string reserveDir = ResolveReserveDir(firstArgument, rootDir);
    facts.ReserveDir = reserveDir;
    facts.DeckName = DeckNameFromArgument(firstArgument);
    facts.ReserveExists = !Trim(firstArgument).empty() && os::DirectoryExists(reserveDir);
    if (facts.ReserveExists) {
        facts.ReserveWritable = DirectoryWritable(reserveDir);
        os::FileEnumerator tvpi{reserveDir + "*.tvpi"};
        for (std::string name; tvpi.Next(name);) {
            ++facts.TvpiCount;
        }
    }

    // The channel-file directory as the settings window keeps it.
    const std::optional<std::string> ini = ini::ReadFileText(RootFile(rootDir, "pex.ini"));
    const std::string settingDir =
        ini ? settings::ClipReadValue(
                  ini::FindValue(*ini, settingsSection, settings::StoredPropertyKey("PdigiDir.Text")).value_or(""))
            : std::string{};
    const TunerSettings tuner = ReadTunerSettings();
    facts.LocationIdx = tuner.areaNumber;
    if (!tuner.tunerDirs.empty()) {
        std::string dirs;
        for (const std::string& dir : tuner.tunerDirs) {
            dirs += (dirs.empty() ? "" : " ; ") + dir;
        }
        facts.TunerDir = dirs;
    }
    for (const std::string& path : ChannelFileCandidates(Trim(settingDir), tuner.tunerDirs,
                                                         SharedChannelsDir(CommonAppDataFolder()), tuner.areaNumber)) {
        facts.Places.push_back({path, ProbeChannelFile(path)});
    }

    TCsvTable tableTV = CreateTableTV(RootFile(rootDir, kTableTVFileName));
    TCsvTable tableTVChNo = CreateTableTVChNo(RootFile(rootDir, kTableTVChNoFileName));
    TCsvTable tableTVChData = CreateTableTVChData(RootFile(rootDir, kTableTVChDataFileName));
    for (TCsvTable* table : {&tableTV, &tableTVChNo, &tableTVChData}) {
        table->KeepInMemory();
    }
    facts.StationNameSize = tableTVChNo.FieldDefs()[tableTVChNo.FieldIndex("TVChannel")].size;
    {
        TCsvTable before = CreateTableTVChNo(tableTVChNo.FilePath());
        try {
            before.Open();
            facts.RowsBefore = DeckRows(before, facts.DeckName);
        } catch (const std::exception&) {
            // told by the run below, which opens the same file
        }
        before.CloseWithoutSaving();
    }

    // Every line the run would log is kept here instead.
    // The import's plain lines tell what the tables did to their files and what they cannot keep;
    // the harvest's tell its start, its end and the tasks (which the watch has).
    std::vector<std::pair<std::string, bool>> logged;
    bool harvesting = false;
    TLogFile log;
    log.RedirectTo([&](std::string_view text, bool isError) {
        if (isError || !harvesting) {
            logged.emplace_back(text, isError);
        }
    });
    TRunControl run;
    CheckView view{WideFromSjis(settingDir)};
    TRunController controller{view, {log, {tableTV, tableTVChNo, tableTVChData}, run, reserveDir}, arguments};
    CheckWatch watch{facts};
    controller.RunCheck(watch, [&harvesting] { harvesting = true; });
    const TempDirectory temp = SystemTempDirectory();
    if (temp.path) {
        os::RemoveFile(*temp.path + "quellix-check-task.csv");
    }

    try {
        tableTVChNo.Open();
        facts.RowsAfter = DeckRows(tableTVChNo, facts.DeckName);
        tableTVChNo.Close();
        const auto found = std::find_if(facts.Places.begin(), facts.Places.end(),
                                        [](const ChannelPlace& p) { return p.State == PlaceState::Found; });
        if (found != facts.Places.end()) {
            ReadStations(found->Path, tableTV, facts.StationNameSize, facts);
        }
    } catch (const std::exception& error) {
        logged.emplace_back(error.what(), true);
    }

    // A listing that was not read: the run's last error line says what the tool said.
    if (!facts.Listed) {
        const auto last = std::find_if(logged.rbegin(), logged.rend(), [](const auto& line) { return line.second; });
        if (last != logged.rend()) {
            facts.ToolError = last->first;
            logged.erase(std::next(last).base());
        }
    }
    for (const auto& line : logged) {
        const std::string& text = line.first;
        const bool isError = line.second;
        const bool taskLine =
            std::any_of(facts.Tasks.begin(), facts.Tasks.end(), [&](const CheckedTask& t) { return t.Reason == text; });
        if (taskLine) {
            continue;
        }
        if (!isError) {
            facts.TableNotices.push_back(text);
        } else {
            facts.RunErrors.push_back(text);
        }
    }

    if (!temp.path) {
        return;
    }
    const std::string reportPath = *temp.path + std::string{kCheckReportName};
    {
        os::File report = os::OpenFile(reportPath, os::OpenMode::CreateAlways, os::Share::Read);
        if (!report.IsOpen() || !report.Write(BuildCheckReport(facts)) || !report.Close()) {
            return;
        }
    }
    const std::wstring viewer = [] {
        wchar_t buffer[MAX_PATH]{};
        const DWORD length = ::GetEnvironmentVariableW(L"QUELLIX_CHECK_VIEWER", buffer, MAX_PATH);
        return length > 0 && length < MAX_PATH ? std::wstring{buffer, length} : std::wstring{};
    }();
    if (viewer.empty()) {
        ShellOpen(reportPath, "");
    } else {
        ShellOpen(SjisFromWide(viewer), "\"" + reportPath + "\"");
    }
}

} // namespace quellix
