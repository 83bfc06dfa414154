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
    RunSeconds(quellix); // warm both up once
    RunSeconds(floor);
    std::vector<double> quellixTimes;
    std::vector<double> floorTimes;
    for (int i = 0; i < runs; ++i) { // interleaved, so both see the same machine
        quellixTimes.push_back(RunSeconds(quellix));
        floorTimes.push_back(RunSeconds(floor));
    }
    const double q = Median(quellixTimes);
    const double f = Median(floorTimes);
    std::printf("import run, empty reserve directory: median %.1f ms over %d runs\n", q * 1000, runs);
    std::printf("minimal window program (floor):      median %.1f ms over %d runs\n", f * 1000, runs);
    std::printf("ratio: %.2fx (target: at most 1.30x)\n", q / f);
    return 0;
}
