// The harvest as the host meets it: the real quellix.exe doing an import run under Wine, against
// the floor program (import_floor_win.exe) doing the same work with plain system calls, both in
// the same run. The Task Scheduler tool is the tests' stand-in put in place of the system's, printing
// a listing of 20,000 tasks in the 28-column layout (every tenth the tuner's, the header repeated
// every 500 rows); pexTVCHNo.csv has 500 rows, 100 of them for the deck, so every tuner task maps
// to a station and 2,000 .tvpi files are written. The cost of the harvest is an import run over
// that listing minus one over an empty listing, the reserve directory emptied before every run,
// the best of each kind of run. Also measured: how long Stop takes to end the harvest of the
// listing (the button clicked once the harvest is writing files).
//
// Usage, from the repository (the Wine server stays up for the whole run):
//   cmake --build --preset windows --target import_harvest_bench_win
//   scripts/wine-run.sh build/windows/bin/import_harvest_bench_win.exe [rounds, default 3]
#include "bench/wine_bench_support_win.h"
#include "bench/big_listing_win.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace quellix::bench;

constexpr int kIdButtonStop = 102;

HWND FindMainWindow(DWORD processId) {
    for (int attempt = 0; attempt < 20000; ++attempt) {
        HWND found = nullptr;
        while ((found = ::FindWindowExW(nullptr, found, L"TFormPdigi", nullptr)) != nullptr) {
            DWORD owner = 0;
            ::GetWindowThreadProcessId(found, &owner);
            if (owner == processId) {
                return found;
            }
        }
        ::Sleep(1);
    }
    return nullptr;
}

struct Setup {
    std::wstring root;
    std::wstring reserve;
    std::wstring floorOut;
    std::wstring bigListing;
    std::wstring emptyListing;
    std::string channelTable;
};

double Run(const Setup& setup, const std::wstring& commandLine, const std::wstring& listing,
           const std::wstring& output) {
    EmptyDirectory(output);
    WriteBytes(setup.root + L"\\pexTVCHNo.csv", setup.channelTable); // the same table for every run
    StandInTool::Print(listing);
    return RunSeconds(commandLine);
}

struct StopTiming {
    double acted;     // the click handled: the window hidden
    double ended;     // the process gone
    int filesWritten; // of kTunerTasks
};

// Clicks Stop once the harvest has written a tenth of its files.
StopTiming MeasureStop(const Setup& setup, const std::wstring& quellix) {
    EmptyDirectory(setup.reserve);
    WriteBytes(setup.root + L"\\pexTVCHNo.csv", setup.channelTable);
    StandInTool::Print(setup.bigListing);
    PROCESS_INFORMATION process = Start(quellix);
    const HWND window = FindMainWindow(process.dwProcessId);
    while (CountFiles(setup.reserve) < kTunerTasks / 10 && ::WaitForSingleObject(process.hProcess, 0) != 0) {
        ::Sleep(1);
    }
    const double clicked = Now();
    ::PostMessageW(::GetDlgItem(window, kIdButtonStop), BM_CLICK, 0, 0);
    double acted = 0;
    while (::IsWindowVisible(window) && ::WaitForSingleObject(process.hProcess, 0) != 0) {
        ::Sleep(0);
    }
    acted = Now() - clicked;
    WaitAndClose(process);
    const double ended = Now() - clicked;
    return {acted, ended, CountFiles(setup.reserve)};
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(2, std::atoi(argv[1])) : 3;
    wchar_t temp[MAX_PATH]{};
    ::GetTempPathW(MAX_PATH, temp);
    Setup setup;
    setup.root = std::wstring{temp} + L"qx-harvest-bench";
    setup.reserve = setup.root + L"\\reserve\\GigaPocket";
    setup.floorOut = setup.root + L"\\floor";
    setup.bigListing = setup.root + L"\\listing.csv";
    setup.emptyListing = setup.root + L"\\empty.csv";
    setup.channelTable = MakeChannelTable();
    for (const std::wstring& directory :
         {setup.root, setup.root + L"\\reserve", setup.reserve, setup.floorOut, setup.root + L"\\temp"}) {
        ::CreateDirectoryW(directory.c_str(), nullptr);
    }
    EmptyDirectory(setup.root);
    SetRegistryString(L"software\\Morvane\\Pexlan2\\etc", L"RootPath", setup.root);
    ::SetEnvironmentVariableW(L"TEMP", (setup.root + L"\\temp").c_str()); // quellix.exe's work file
    ::SetEnvironmentVariableW(L"TMP", (setup.root + L"\\temp").c_str());  // the system takes TMP before TEMP
    const std::string listing = MakeListing();
    WriteBytes(setup.bigListing, listing);
    // An empty listing as the tool prints it: its note that there are no tasks.
    WriteBytes(setup.emptyListing, "INFO: There are no scheduled tasks presently available at your access level.\r\n");
    const StandInTool tool;

    const std::wstring quellix = Quoted(BinDir() + L"\\quellix.exe") + L" " + Quoted(setup.reserve);
    const std::wstring floor = Quoted(BinDir() + L"\\import_floor_win.exe") + L" " +
                               Quoted(setup.root + L"\\temp\\floor.csv") + L" " + Quoted(setup.floorOut) + L" " +
                               Quoted(setup.root + L"\\floor.log");

    Run(setup, quellix, setup.bigListing, setup.reserve); // warm up
    Run(setup, floor, setup.bigListing, setup.floorOut);
    std::vector<double> quellixBig, quellixEmpty, floorBig, floorEmpty;
    for (int round = 0; round < rounds; ++round) { // interleaved, so that all see the same machine
        quellixBig.push_back(Run(setup, quellix, setup.bigListing, setup.reserve));
        const int written = CountFiles(setup.reserve);
        floorBig.push_back(Run(setup, floor, setup.bigListing, setup.floorOut));
        const int floorWritten = CountFiles(setup.floorOut);
        quellixEmpty.push_back(Run(setup, quellix, setup.emptyListing, setup.reserve));
        floorEmpty.push_back(Run(setup, floor, setup.emptyListing, setup.floorOut));
        if (written != kTunerTasks || floorWritten != kTunerTasks) {
            std::fprintf(stderr, "files written: quellix.exe %d, floor %d, expected %d\n", written, floorWritten,
                         kTunerTasks);
            return 1;
        }
        std::printf("round %d: quellix.exe %.0f - %.0f ms, floor %.0f - %.0f ms\n", round + 1, quellixBig.back() * 1e3,
                    quellixEmpty.back() * 1e3, floorBig.back() * 1e3, floorEmpty.back() * 1e3);
    }
    const StopTiming stop = MeasureStop(setup, quellix);
    EmptyDirectory(setup.reserve);
    EmptyDirectory(setup.floorOut);

    const double harvest = Best(quellixBig) - Best(quellixEmpty);
    const double floorCost = Best(floorBig) - Best(floorEmpty);
    std::printf("listing %.1f MB, %d tasks (%d the tuner's), channel table %d rows (%d for the deck), best of %d\n",
                static_cast<double>(listing.size()) / 1e6, kTasks, kTunerTasks, kTableRows, kDeckRows, rounds);
    std::printf("quellix.exe: big listing %.0f ms, empty listing %.0f ms, harvest %.0f ms\n", Best(quellixBig) * 1e3,
                Best(quellixEmpty) * 1e3, harvest * 1e3);
    std::printf("floor:       big listing %.0f ms, empty listing %.0f ms, harvest %.0f ms\n", Best(floorBig) * 1e3,
                Best(floorEmpty) * 1e3, floorCost * 1e3);
    std::printf("ratio %.2fx (target at most 1.50x)\n", harvest / floorCost);
    std::printf("Stop in the middle of the harvest: handled after %.1f ms, program ended after %.1f ms "
                "(%d of %d files written; target at most 100 ms)\n",
                stop.acted * 1e3, stop.ended * 1e3, stop.filesWritten, kTunerTasks);
    return 0;
}
