// The check against the import run it foretells: the real quellix.exe under Wine, once as
// `quellix.exe "<reserve directory>"` and once with `/check`, over the same listing of 20,000 tasks
// (bench/big_listing_win.h) printed by the tests' stand-in Task Scheduler tool, the reserve
// directory emptied before every import. The report is handed to the tests' viewer stand-in, so
// no editor opens. The best of each kind of run, interleaved, and their ratio.
//
// Usage, from the repository (the Wine server stays up for the whole run):
//   cmake --build --preset windows64 --target check_bench_win
//   scripts/wine-run.sh build/windows64/bin/check_bench_win.exe [rounds, default 3]
#include "bench/big_listing_win.h"
#include "bench/wine_bench_support_win.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    using namespace quellix::bench;
    const int rounds = argc > 1 ? std::max(2, std::atoi(argv[1])) : 3;
    wchar_t temp[MAX_PATH]{};
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring root = std::wstring{temp} + L"qx-check-bench";
    const std::wstring reserve = root + L"\\reserve\\GigaPocket";
    for (const std::wstring& directory : {root, root + L"\\reserve", reserve, root + L"\\temp"}) {
        ::CreateDirectoryW(directory.c_str(), nullptr);
    }
    EmptyDirectory(root);
    SetRegistryString(L"software\\Morvane\\Pexlan2\\etc", L"RootPath", root);
    ::SetEnvironmentVariableW(L"TEMP", (root + L"\\temp").c_str());
    ::SetEnvironmentVariableW(L"TMP", (root + L"\\temp").c_str());
    ::SetEnvironmentVariableW(L"QUELLIX_CHECK_VIEWER", (BinDir() + L"\\report_viewer.exe").c_str());
    const std::string listing = MakeListing();
    WriteBytes(root + L"\\listing.csv", listing);
    WriteBytes(root + L"\\pexTVCHNo.csv", MakeChannelTable());
    const StandInTool tool;
    StandInTool::Print(root + L"\\listing.csv");

    const std::wstring import = Quoted(BinDir() + L"\\quellix.exe") + L" " + Quoted(reserve);
    const std::wstring check = import + L" /check";
    const auto runImport = [&] {
        EmptyDirectory(reserve);
        return RunSeconds(import);
    };
    runImport(); // warm up
    RunSeconds(check);
    std::vector<double> imports, checks;
    for (int round = 0; round < rounds; ++round) {
        imports.push_back(runImport());
        const int written = CountFiles(reserve);
        checks.push_back(RunSeconds(check));
        if (written != kTunerTasks || CountFiles(reserve) != kTunerTasks) {
            std::fprintf(stderr, "files: %d after the import, %d after the check, expected %d\n", written,
                         CountFiles(reserve), kTunerTasks);
            return 1;
        }
        std::printf("round %d: import %.0f ms, check %.0f ms\n", round + 1, imports.back() * 1e3, checks.back() * 1e3);
    }
    EmptyDirectory(reserve);
    std::printf("listing %.1f MB, %d tasks (%d the tuner's), best of %d\n", static_cast<double>(listing.size()) / 1e6,
                kTasks, kTunerTasks, rounds);
    std::printf("import run %.0f ms, check %.0f ms, ratio %.2fx (target at most 1.50x)\n", Best(imports) * 1e3,
                Best(checks) * 1e3, Best(checks) / Best(imports));
    return 0;
}
