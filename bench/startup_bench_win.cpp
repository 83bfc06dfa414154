// Wall time of one import run of quellix.exe on an empty reserve directory with an empty Task
// Scheduler listing, process start to exit, against its floor in the same run: import_floor_win.exe,
// a plain Win32 program that opens one window, runs the same tool with its output piped into a work
// file, appends a log line and exits. Measured twice: with the system's own schtasks.exe (in a
// fresh Wine prefix, Wine's, which lists no task), and with the tests' stand-in printing an empty
// listing in its place, a tool that costs next to nothing, which leaves the program's own start-up
// (window, fonts, the two rewrites of the channel tables, log) in the figure. A program that only
// opens one window is shown as well, and the floor again with as many child windows as the
// program's window has: under Wine each costs a few milliseconds whoever creates it.
//
// Usage, from the repository (the Wine server stays up for the whole run):
//   cmake --build --preset windows --target startup_bench_win
//   scripts/wine-run.sh build/windows/bin/startup_bench_win.exe [runs, default 31]
#include "bench/wine_bench_support_win.h"

#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
    using namespace quellix::bench;
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 31;
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring root = std::wstring{temp} + L"qx-startup-bench";
    const std::wstring reserve = root + L"\\reserve\\GigaPocket";
    for (const std::wstring& directory : {root, root + L"\\reserve", reserve, root + L"\\temp", root + L"\\floor"}) {
        ::CreateDirectoryW(directory.c_str(), nullptr);
    }
    SetRegistryString(L"software\\Morvane\\Pexlan2\\etc", L"RootPath", root);
    ::SetEnvironmentVariableW(L"TEMP", (root + L"\\temp").c_str()); // quellix.exe's work file
    ::SetEnvironmentVariableW(L"TMP", (root + L"\\temp").c_str());  // the system takes TMP before TEMP
    // An empty listing as the tool prints it: its note that there are no tasks.
    WriteBytes(root + L"\\empty.csv",
               "INFO: There are no scheduled tasks presently available at your access level.\r\n");

    const std::wstring quellix = Quoted(BinDir() + L"\\quellix.exe") + L" " + Quoted(reserve);
    const std::wstring floor = Quoted(BinDir() + L"\\import_floor_win.exe") + L" " +
                               Quoted(root + L"\\temp\\floor.csv") + L" " + Quoted(root + L"\\floor") + L" " +
                               Quoted(root + L"\\floor.log");
    const std::wstring withControls = floor + L" controls";
    const std::wstring window = Quoted(BinDir() + L"\\minimal_window.exe");
    const auto compare = [&](const char* tool) {
        RunSeconds(quellix); // warm everything up once
        RunSeconds(floor);
        RunSeconds(window);
        RunSeconds(withControls);
        std::vector<double> quellixTimes;
        std::vector<double> floorTimes;
        std::vector<double> windowTimes;
        std::vector<double> controlsTimes;
        for (int i = 0; i < runs; ++i) { // interleaved, so all see the same machine
            quellixTimes.push_back(RunSeconds(quellix));
            floorTimes.push_back(RunSeconds(floor));
            windowTimes.push_back(RunSeconds(window));
            controlsTimes.push_back(RunSeconds(withControls));
        }
        const double q = Median(quellixTimes);
        const double f = Median(floorTimes);
        const double qFast = FasterHalfMean(quellixTimes);
        const double fFast = FasterHalfMean(floorTimes);
        std::printf("%s, %d runs: median, and mean of the faster half\n", tool, runs);
        std::printf("  one window, nothing else:                         %6.1f ms  %6.1f ms\n",
                    Median(windowTimes) * 1000, FasterHalfMean(windowTimes) * 1000);
        std::printf("  floor (window, the tool into a work file, log):   %6.1f ms  %6.1f ms\n", f * 1000, fFast * 1000);
        std::printf("  import run (empty reserve directory and listing): %6.1f ms  %6.1f ms\n", q * 1000, qFast * 1000);
        std::printf("  ratio (target 1.30x):                             %6.2fx    %6.2fx\n", q / f, qFast / fFast);
        const double c = Median(controlsTimes);
        const double cFast = FasterHalfMean(controlsTimes);
        std::printf(
            "  floor with the window's nine child windows:       %6.1f ms  %6.1f ms  (%.2fx, %.2fx the floor)\n",
            c * 1000, cFast * 1000, c / f, cFast / fFast);
        std::printf("  import run against it:                            %6.2fx    %6.2fx\n", q / c, qFast / cFast);
    };
    compare("the system's schtasks.exe");
    const StandInTool tool;
    StandInTool::Print(root + L"\\empty.csv");
    compare("the stand-in printing an empty listing");
    return 0;
}
