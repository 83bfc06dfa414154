// What the check gathers about one would-be import run: the system, the host, the reserve folder,
// the tuner and its channel file, the tables and the Task Scheduler's listing. The Windows side
// fills it; the report (check_report.h) judges and words it.
#pragma once

#include "app/task_outcome.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quellix {

// A place where the channel file is looked for, in the order they are tried.
enum class PlaceState { Found, Missing, Unreadable, Held };
struct ChannelPlace {
    std::string Path;
    PlaceState State = PlaceState::Missing;
};

struct CheckedStation {
    std::string Number;
    std::string Name;    // as the channel file spells it
    std::string Renamed; // after the renaming table
    std::string Stored;  // as the channel-number table keeps it
};

struct DeckRow {
    std::string Number;
    std::string Station;
    friend bool operator==(const DeckRow&, const DeckRow&) = default;
};

struct CheckedTask {
    std::string TaskName;
    std::string Title;
    std::string NextRun; // as the tool printed it
    std::string Start;   // as read, "yyyy/mm/dd hh:nn"; empty when not read
    std::string Channel;
    std::string Station;
    TaskOutcome Outcome = TaskOutcome::Written;
    std::string FileName; // the reservation file's (Written)
    std::string Reason;   // the log line the run writes for it (any other outcome)
};

struct OtherTask { // mentions the tuner's program but does not start it
    std::string TaskName;
    std::string Program;
};

struct CheckFacts {
    std::string Now; // "yyyy/mm/dd hh:nn:ss"
    // The system.
    std::string ProgramVersion;
    std::string WindowsVersion;
    unsigned CodePage = 0;
    std::string ShortDate;
    std::string TimeFormat;

    // The host.
    std::optional<std::string> RootPath; // nullopt: no RootPath in the registry
    bool RootExists = false;
    std::string LogFile;                          // where the run writes pex.log
    std::optional<std::string> VirtualStore;      // the host's files Windows keeps for this user, when any lie there
    std::vector<std::string> FilesInVirtualStore; // names of the host's files found there
    bool SettingsWindowOpen = false;              // another instance holds the program's name

    // The reserve folder.
    std::string ReserveDir;
    bool ReserveExists = false;
    bool ReserveWritable = false;
    std::size_t TvpiCount = 0;
    std::string DeckName;

    // The tuner.
    std::optional<int> LocationIdx;
    std::optional<std::string> TunerDir; // nullopt: no "Dir" value (the defaults are tried)
    std::vector<ChannelPlace> Places;
    std::vector<CheckedStation> Stations;
    std::vector<std::string> UnreadableLines;
    std::size_t StationNameSize = 0; // bytes the channel-number table keeps of a name

    // The tables.
    std::vector<DeckRow> RowsBefore; // the deck's rows in pexTVCHNo.csv now
    std::vector<DeckRow> RowsAfter;  // as the import would leave them
    std::vector<std::string> TableNotices;

    // The Task Scheduler.
    bool ToolStarted = false;
    std::uint32_t ExitCode = 0;
    std::string ToolError; // what the tool said when no listing was read
    bool Listed = false;
    std::size_t TaskCount = 0;
    std::vector<CheckedTask> Tasks;
    std::vector<OtherTask> Others;

    // Error lines the run would have logged besides the tasks' (an unusable folder name, a table
    // that cannot be read).
    std::vector<std::string> RunErrors;
};

} // namespace quellix
