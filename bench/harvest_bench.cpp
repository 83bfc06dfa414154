// The harvest against its floor, in one run under the same conditions: a Task Scheduler listing
// of 20,000 tasks (about 12 MB, 2,000 of them the tuner's) already captured into the work file,
// and a channel-number table of 500 rows. The harvest (tables opened and saved, every line read,
// 2,000 reservation files written) against the floor of reading the same file line by line and
// creating 2,000 files of the same size with the same calls.
//
// Usage: harvest_bench [repetitions, default 7]
#include "app/harvest.h"
#include "app/reservation.h"
#include "channels/channel_tables.h"
#include "support/line_reader.h"
#include "tests/shared/task_listing_rows.h"
#include "support/text_file.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <time.h>
#include <unistd.h>

namespace {

// <chrono> cannot be used here: it holds a character that the Shift_JIS build cannot encode.
double Seconds() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}
namespace fs = std::filesystem;

constexpr int kTasks = 20000;
constexpr int kTunerTasks = 2000;
constexpr int kTasksPerFolder = 100;
constexpr int kChannels = 500;
constexpr const char* kDeck = "GigaPocket";

std::string ProgramPath(const fs::path& path) {
    std::string text = path.string();
    std::replace(text.begin(), text.end(), '/', '\\');
    return text;
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out{path, std::ios::binary | std::ios::trunc};
    out << bytes;
}

// Every tenth task is the tuner's, each on its own start minute and one of the table's channels.
std::string MakeListing() {
    std::string listing;
    int tuner = 0;
    for (int task = 0; task < kTasks; ++task) {
        if (task % kTasksPerFolder == 0) {
            listing += "\r\n" + quellix::testing::ListingHeader() + "\r\n";
        }
        char name[64];
        if (task % (kTasks / kTunerTasks) == 0) {
            const int minute = tuner * 37;
            char nextRun[32];
            std::snprintf(nextRun, sizeof nextRun, "2009/%02d/%02d %d:%02d:00", 3 + minute / (28 * 1440),
                          1 + minute / 1440 % 28, minute / 60 % 24, minute % 60);
            std::snprintf(name, sizeof name, "\\PCastDigi\\Reserve_%05d", tuner);
            const std::string channel = std::to_string(10 + tuner % 90);
            listing += quellix::testing::ListingRow(
                name, nextRun,
                quellix::testing::TunerCommand("番組表示ソフト " + std::to_string(tuner), channel, 30 + tuner % 90),
                tuner % 2 == 0 ? quellix::testing::Quotes::Doubled : quellix::testing::Quotes::AsIs);
            ++tuner;
        } else {
            std::snprintf(name, sizeof name, "\\Microsoft\\Windows\\Maintenance\\Task_%05d", task);
            listing += quellix::testing::ListingRow(
                name, "2009/03/07 1:00:00",
                "\"%ProgramFiles%\\Maintenance Service\\Scheduled Maintenance\\maintenance-service.exe\" /run "
                "/component=storage,network,updates /log=\"%ProgramData%\\Maintenance Service\\Logs\\task-" +
                    std::to_string(task) + ".log\"");
        }
        listing += "\r\n";
    }
    return listing;
}

// 500 rows: the deck's channels 10 to 99 at the end, other decks before them, so that a look-up
// walks most of the table.
std::string MakeChannelTable() {
    std::string table = "\"ToolName\",\"TVChannel\",\"TVChannelNo\",\r\n";
    for (int row = 0; row < kChannels - 90; ++row) {
        table += "\"Deck" + std::to_string(row % 7) + "\",\"局" + std::to_string(row) + "\",\"" +
                 std::to_string(row % 100) + "\",\r\n";
    }
    for (int channel = 10; channel < 100; ++channel) {
        table += std::string{"\""} + kDeck + "\",\"ソフト放送" + std::to_string(channel) + "\",\"" +
                 std::to_string(channel) + "\",\r\n";
    }
    return table;
}

double Harvest(const fs::path& root, const fs::path& listing, const fs::path& workFile, const fs::path& reserve) {
    quellix::TCsvTable tableTV = quellix::CreateTableTV(ProgramPath(root / "tvconvert.csv"));
    quellix::TCsvTable tableTVChNo = quellix::CreateTableTVChNo(ProgramPath(root / "pexTVCHNo.csv"));
    quellix::TCsvTable tableTVChData = quellix::CreateTableTVChData(ProgramPath(root / "tvchdata.csv"));
    quellix::TLogFile log;
    log.SetLogFileName(ProgramPath(root / "pex.log"));
    log.SetActive(true);
    quellix::TRunControl run;
    run.PumpMessages = [] {};
    quellix::HarvestSetup setup;
    setup.DeckName = kDeck;
    setup.ReserveDir = ProgramPath(reserve) + "\\";
    setup.WorkFile = ProgramPath(workFile);
    // The tool's output, captured already, put in place under the work file's name (a second name
    // of the file: no copy), as the harvest removes an earlier work file before the tool runs.
    setup.CaptureListing = [&](const std::string& work) {
        (void)quellix::os::LinkFile(ProgramPath(listing), work);
        return quellix::FileCapture{quellix::CaptureStatus::Captured, {}, 0};
    };
    const double start = Seconds();
    quellix::HarvestReservations(setup, {tableTV, tableTVChNo, tableTVChData}, run, log);
    return Seconds() - start;
}

// The part of the harvest that is the tables' own: opening (loading) and closing (saving) all three.
double TablesOnly(const fs::path& root) {
    quellix::TCsvTable tableTV = quellix::CreateTableTV(ProgramPath(root / "tvconvert.csv"));
    quellix::TCsvTable tableTVChNo = quellix::CreateTableTVChNo(ProgramPath(root / "pexTVCHNo.csv"));
    quellix::TCsvTable tableTVChData = quellix::CreateTableTVChData(ProgramPath(root / "tvchdata.csv"));
    const double start = Seconds();
    for (quellix::TCsvTable* table : {&tableTV, &tableTVChNo, &tableTVChData}) {
        table->Open();
    }
    for (quellix::TCsvTable* table : {&tableTV, &tableTVChNo, &tableTVChData}) {
        table->Close();
    }
    return Seconds() - start;
}

// The same file read line by line, the same number of files of the same size made with the same
// calls as the reservation writer.
double Floor(const fs::path& workFile, const fs::path& reserve, const std::string& fileBytes) {
    const double start = Seconds();
    quellix::TTextFile work{ProgramPath(workFile), {}};
    if (!quellix::OpenForReadRetry(work, 0)) {
        std::exit(1);
    }
    std::size_t lines = 0;
    quellix::LineReader reader{work.Handle};
    while (!reader.Eof()) {
        lines += reader.ReadLine().empty() ? 0 : 1;
    }
    work.Handle.Close();
    const std::string directory = ProgramPath(reserve) + "\\";
    for (int i = 0; i < kTunerTasks; ++i) {
        const std::string name = directory + std::to_string(200903010000LL + i) + "21.tvpi";
        quellix::os::RemoveFile(name);
        quellix::TTextFile file{name, {}};
        if (!quellix::OpenForWriteRetry(file, 0) || !file.Handle.Write(fileBytes) || !file.Handle.Close()) {
            std::exit(1);
        }
    }
    const double seconds = Seconds() - start;
    if (lines == 0) {
        std::exit(1);
    }
    return seconds;
}

std::size_t CountFiles(const fs::path& directory) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator{directory}, fs::directory_iterator{}));
}

} // namespace

int main(int argc, char** argv) {
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    const fs::path root = fs::temp_directory_path() / ("quellix-harvest-bench-" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "reserve" / kDeck);
    fs::create_directories(root / "floor");
    const std::string listing = MakeListing();
    WriteFile(root / "listing.csv", listing);
    WriteFile(root / "pexTVCHNo.csv", MakeChannelTable());

    quellix::TReservation sample;
    sample.Station = "ソフト放送21";
    sample.Title = "番組表示ソフト 1000";
    const std::string fileBytes = quellix::FormatReservationFile(sample);

    std::vector<double> harvest;
    std::vector<double> floor;
    std::vector<double> tables;
    for (int run = 0; run <= repetitions; ++run) {
        // Alternated, so that a slow moment of the machine hits both alike; the first round warms up.
        const double h = Harvest(root, root / "listing.csv", root / "task.csv", root / "reserve" / kDeck);
        const double f = Floor(root / "listing.csv", root / "floor", fileBytes);
        const double t = TablesOnly(root);
        if (run > 0) {
            harvest.push_back(h);
            floor.push_back(f);
            tables.push_back(t);
        }
    }
    const std::size_t written = CountFiles(root / "reserve" / kDeck);
    fs::remove_all(root);
    if (written != kTunerTasks) {
        std::fprintf(stderr, "the harvest wrote %zu files, not %d\n", written, kTunerTasks);
        return 1;
    }
    // The fastest run of each side: the slower ones measure the neighbours on a shared machine.
    const double h = *std::min_element(harvest.begin(), harvest.end());
    const double f = *std::min_element(floor.begin(), floor.end());
    std::printf("listing %.1f MB, %d tasks (%d the tuner's), channel table %d rows, %d runs each\n",
                static_cast<double>(listing.size()) / 1e6, kTasks, kTunerTasks, kChannels, repetitions);
    std::printf("harvest %8.1f ms (opening and saving the three tables alone: %.1f ms)\n", h * 1e3,
                *std::min_element(tables.begin(), tables.end()) * 1e3);
    std::printf("floor   %8.1f ms\nratio   %8.2fx (target at most 1.50x)\n", f * 1e3, h / f);
    return h / f <= 1.5 ? 0 : 2;
}
