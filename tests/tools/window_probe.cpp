// Reports the program's windows for the X display tests, one JSON object per line in UTF-8: the
// application window, the main window, the About box, dialog boxes and Notepad, with their child controls (class, id,
// text, position, enabled state) and which window holds the keyboard focus. Reads only, changes nothing.
#include <windows.h>

#include <string>
#include <vector>

namespace {

std::string Utf8(const std::wstring& text) {
    if (text.empty()) {
        return {};
    }
    const int size =
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

std::string Json(const std::wstring& text) {
    std::string out = "\"";
    for (const char c : Utf8(text)) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            char escaped[8];
            wsprintfA(escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::wstring ClassOf(HWND window) {
    wchar_t name[256]{};
    ::GetClassNameW(window, name, 256);
    return name;
}

std::wstring TextOf(HWND window) {
    // WM_GETTEXT crosses processes, unlike GetWindowText for another process's controls.
    wchar_t text[4096]{};
    DWORD_PTR got = 0;
    ::SendMessageTimeoutW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &got);
    return text;
}

std::string RectJson(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    char out[96];
    wsprintfA(out, "[%ld,%ld,%ld,%ld]", rect.left, rect.top, rect.right, rect.bottom);
    return out;
}

struct Found {
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM data) {
    const std::wstring name = ClassOf(window);
    if (name == L"TApplication" || name == L"TFormPdigi" || name == L"TAboutForm" || name == L"#32770" ||
        name == L"Notepad") { // the editor the check's report opens in
        reinterpret_cast<Found*>(data)->windows.push_back(window);
    }
    return TRUE;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM data) {
    reinterpret_cast<Found*>(data)->windows.push_back(window);
    return TRUE;
}

void Put(const std::string& line) {
    DWORD written = 0;
    const std::string out = line + "\n";
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), out.data(), static_cast<DWORD>(out.size()), &written, nullptr);
}

} // namespace

int main() {
    Found top;
    ::EnumWindows(&CollectTopLevel, reinterpret_cast<LPARAM>(&top));
    for (HWND window : top.windows) {
        DWORD processId = 0;
        const DWORD threadId = ::GetWindowThreadProcessId(window, &processId);
        GUITHREADINFO thread{};
        thread.cbSize = sizeof thread;
        ::GetGUIThreadInfo(threadId, &thread);
        std::string line =
            "{\"handle\":" + std::to_string(reinterpret_cast<INT_PTR>(window)) + ",\"class\":" + Json(ClassOf(window)) +
            ",\"text\":" + Json(TextOf(window)) + ",\"pid\":" + std::to_string(processId) +
            ",\"visible\":" + (::IsWindowVisible(window) ? "true" : "false") + ",\"rect\":" + RectJson(window) +
            ",\"owner\":" + std::to_string(reinterpret_cast<INT_PTR>(::GetWindow(window, GW_OWNER))) +
            ",\"active\":" + (thread.hwndActive == window ? "true" : "false") + ",\"children\":[";
        Found children;
        ::EnumChildWindows(window, &CollectChild, reinterpret_cast<LPARAM>(&children));
        bool first = true;
        for (HWND child : children.windows) {
            line += first ? "" : ",";
            first = false;
            line += "{\"class\":" + Json(ClassOf(child)) + ",\"id\":" + std::to_string(::GetDlgCtrlID(child)) +
                    ",\"text\":" + Json(TextOf(child)) + ",\"rect\":" + RectJson(child) +
                    ",\"enabled\":" + (::IsWindowEnabled(child) ? "true" : "false") +
                    ",\"visible\":" + (::IsWindowVisible(child) ? "true" : "false") +
                    ",\"focus\":" + (thread.hwndFocus == child ? "true" : "false") + "}";
        }
        Put(line + "]}");
    }
    return 0;
}
