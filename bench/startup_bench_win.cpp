// Wall time of one import run of quellix.exe on an empty reserve directory, process start to
// exit, against a minimal program that creates one window and exits (the floor), side by side.
// Usage (under Wine): startup_bench_win.exe [runs]   (default 15; the median is reported)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::wstring BinDir() {
    std::wstring path(MAX_PATH, L'\0');
    path.resize(::GetModuleFileNameW(nullptr, path.data(), MAX_PATH));
    return path.substr(0, path.find_last_of(L'\\'));
}

double RunSeconds(std::wstring commandLine) {
    LARGE_INTEGER frequency{};
    LARGE_INTEGER start{};
    LARGE_INTEGER end{};
    ::QueryPerformanceFrequency(&frequency);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ::QueryPerformanceCounter(&start);
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process)) {
        std::fprintf(stderr, "cannot start: %ls\n", commandLine.c_str());
        std::exit(1);
    }
    ::WaitForSingleObject(process.hProcess, INFINITE);
    ::QueryPerformanceCounter(&end);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 15;
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring root = std::wstring{temp} + L"qx-startup-bench";
    const std::wstring reserve = root + L"\\reserve\\GigaPocket";
    ::CreateDirectoryW(root.c_str(), nullptr);
    ::CreateDirectoryW((root + L"\\reserve").c_str(), nullptr);
    ::CreateDirectoryW(reserve.c_str(), nullptr);
    HKEY key = nullptr;
    ::RegCreateKeyExW(HKEY_CURRENT_USER, L"software\\Morvane\\Pexlan2\\etc", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      &key, nullptr);
    ::RegSetValueExW(key, L"RootPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(root.c_str()),
                     static_cast<DWORD>((root.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);

    const std::wstring quellix = L"\"" + BinDir() + L"\\quellix.exe\" \"" + reserve + L"\"";
    const std::wstring floor = L"\"" + BinDir() + L"\\minimal_window.exe\"";
    // The import run starts the Task Scheduler tool, a second process. Under Wine it can be switched
    // off (an empty DLL override), which leaves the program's own start-up, run and exit.
    const auto toolAvailable = [](bool available) {
        HKEY overrides = nullptr;
        ::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\DllOverrides", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                          &overrides, nullptr);
        if (available) {
            ::RegDeleteValueW(overrides, L"schtasks.exe");
        } else {
            ::RegSetValueExW(overrides, L"schtasks.exe", 0, REG_SZ, reinterpret_cast<const BYTE*>(L""),
                             sizeof(wchar_t));
        }
        ::RegCloseKey(overrides);
    };
    const auto runWithoutTool = [&] {
        toolAvailable(false);
        const double seconds = RunSeconds(quellix);
        toolAvailable(true);
        return seconds;
    };

    RunSeconds(quellix); // warm everything up once
    runWithoutTool();
    RunSeconds(floor);
    std::vector<double> withTool;
    std::vector<double> ownOnly;
    std::vector<double> floorTimes;
    for (int i = 0; i < runs; ++i) { // interleaved, so all see the same machine
        withTool.push_back(RunSeconds(quellix));
        ownOnly.push_back(runWithoutTool());
        floorTimes.push_back(RunSeconds(floor));
    }
    const double w = Median(withTool);
    const double q = Median(ownOnly);
    const double f = Median(floorTimes);
    std::printf("minimal window program (floor):                    median %6.1f ms over %d runs\n", f * 1000, runs);
    std::printf("import run, Task Scheduler tool not available:     median %6.1f ms  ratio %.2fx (target 1.30x)\n",
                q * 1000, q / f);
    std::printf("import run, with the system's Task Scheduler query: median %6.1f ms  ratio %.2fx\n", w * 1000, w / f);
    return 0;
}
