// The floor the import-run benchmarks time quellix.exe against: a plain Win32 program doing the same
// work with nothing but the system's calls. It opens one window, starts the system's Task Scheduler
// tool with its output piped into a work file by a plain blocking read, reads that file back line
// by line, writes one 200-byte file for every line that names the tuner's recorder, appends a log
// line and exits. With "controls" as a fourth argument its window also gets as many child windows
// of the same kinds as the program's window has (seven push buttons, an edit field, one more child
// for the progress bar), with a Japanese font and captions: what Wine charges for the window layout
// alone, without anything of the program's own work.
//   import_floor_win.exe <work file> <output directory> <log file> [controls]
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <string_view>

namespace {

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcW(window, message, wParam, lParam);
}

bool WriteAll(HANDLE file, const char* data, DWORD size) {
    while (size > 0) {
        DWORD put = 0;
        if (!::WriteFile(file, data, size, &put, nullptr) || put == 0) {
            return false;
        }
        data += put;
        size -= put;
    }
    return true;
}

bool CaptureTool(const std::wstring& workFile) {
    wchar_t system[MAX_PATH]{};
    const UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
    std::wstring commandLine = L"\"" + std::wstring{system, length} + L"\\schtasks.exe\" /query /fo csv /v";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    if (!::CreatePipe(&read, &write, &inherit, 0)) {
        return false;
    }
    ::SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = write;
    startup.hStdError = write;
    PROCESS_INFORMATION process{};
    const BOOL started = ::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                                          CREATE_NO_WINDOW | DETACHED_PROCESS, nullptr, nullptr, &startup, &process);
    ::CloseHandle(write);
    if (!started) {
        ::CloseHandle(read);
        return false;
    }
    HANDLE file = ::CreateFileW(workFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    static char buffer[65536];
    DWORD got = 0;
    while (::ReadFile(read, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        WriteAll(file, buffer, got);
    }
    ::CloseHandle(file);
    ::CloseHandle(read);
    ::WaitForSingleObject(process.hProcess, INFINITE);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return true;
}

void WriteFiles(const std::wstring& workFile, const std::wstring& directory) {
    static const std::string kContent(200, 'x');
    HANDLE work = ::CreateFileW(workFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (work == INVALID_HANDLE_VALUE) {
        return;
    }
    static char buffer[65536];
    std::string line;
    int written = 0;
    const auto lineDone = [&] {
        if (line.find("PcastDigi") != std::string::npos) {
            const std::wstring name = directory + L"\\" + std::to_wstring(++written) + L".tvpi";
            HANDLE file = ::CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
            if (file != INVALID_HANDLE_VALUE) {
                WriteAll(file, kContent.data(), static_cast<DWORD>(kContent.size()));
                ::CloseHandle(file);
            }
        }
        line.clear();
    };
    DWORD got = 0;
    while (::ReadFile(work, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        std::string_view bytes{buffer, got};
        for (std::size_t end; (end = bytes.find('\n')) != std::string_view::npos; bytes.remove_prefix(end + 1)) {
            line.append(bytes.substr(0, end));
            lineDone();
        }
        line.append(bytes);
    }
    if (!line.empty()) {
        lineDone();
    }
    ::CloseHandle(work);
}

void AppendLogLine(const std::wstring& log) {
    HANDLE file = ::CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        constexpr char kLine[] = "floor\r\n";
        WriteAll(file, kLine, sizeof kLine - 1);
        ::CloseHandle(file);
    }
}

void AddControls(HWND window, HINSTANCE instance, HFONT font) {
    struct Control {
        const wchar_t* cls;
        const wchar_t* text;
        int left, top, width, height;
    };
    const Control controls[] = {
        {L"STATIC", L"", 10, 104, 425, 12},     {L"BUTTON", L"一時停止", 320, 138, 81, 25},
        {L"BUTTON", L"停止", 232, 136, 81, 27}, {L"BUTTON", L"スキップ", 145, 138, 81, 25},
        {L"BUTTON", L"再開", 56, 138, 81, 25},  {L"BUTTON", L"", 368, 48, 25, 25},
        {L"BUTTON", L"", 392, 48, 25, 25},      {L"EDIT", L"", 16, 72, 305, 20},
        {L"BUTTON", L"", 328, 64, 25, 25},
    };
    for (const Control& c : controls) {
        HWND child = ::CreateWindowExW(0, c.cls, c.text, WS_CHILD | WS_VISIBLE | WS_TABSTOP, c.left, c.top, c.width,
                                       c.height, window, nullptr, instance, nullptr);
        ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR /*commandLine*/, int showCommand) {
    int count = 0;
    wchar_t** arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (arguments == nullptr || (count != 4 && count != 5)) {
        return 2;
    }
    const bool controls = count == 5 && std::wstring_view{arguments[4]} == L"controls";
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &Procedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"ImportFloor";
    ::RegisterClassW(&windowClass);
    HWND window = ::CreateWindowExW(0, L"ImportFloor", L"floor", WS_POPUP | WS_CLIPCHILDREN, 0, 0, controls ? 445 : 100,
                                    controls ? 183 : 100, nullptr, nullptr, instance, nullptr);
    HFONT font = nullptr;
    if (controls) {
        font = ::CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"ＭＳ Ｐゴシック");
        AddControls(window, instance, font);
    }
    ::ShowWindow(window, showCommand);
    if (controls) {
        ::UpdateWindow(window); // painted at once, as the program's window
    }
    MSG message{};
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::DispatchMessageW(&message);
    }
    const int status = CaptureTool(arguments[1]) ? 0 : 1;
    WriteFiles(arguments[1], arguments[2]);
    AppendLogLine(arguments[3]);
    ::DestroyWindow(window);
    if (font != nullptr) {
        ::DeleteObject(font);
    }
    ::LocalFree(arguments);
    return status;
}
