// The settings store end to end: the real quellix.exe with a real pex.ini in a fresh root
// directory (registry value RootPath), as an import run that closes itself and as the settings
// window, closed the way a user closes it.
#include "support/cp932_win.h"
#include "support/text.h"
#include "support/unique_handle_win.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace quellix {
namespace {

constexpr const wchar_t* kHostKey = L"software\\Morvane\\Pexlan2\\etc";
constexpr int kDesignedLeft = 309;
constexpr int kDesignedTop = 149;
constexpr int kWidth = 445;
constexpr int kHeight = 183;

// Concatenation without `"literal" + std::string`, which GCC 12 at -O3 warns about wrongly.
std::string Cat(std::initializer_list<std::string_view> parts) {
    std::string text;
    for (const std::string_view part : parts) {
        text.append(part);
    }
    return text;
}

std::string Number(int value) {
    return std::to_string(value);
}

// "left,top,right,bottom" of the window's normal rectangle at a position.
std::string NormalRect(int left, int top) {
    return Cat({Number(left), ",", Number(top), ",", Number(left + kWidth), ",", Number(top + kHeight)});
}

std::wstring ModuleDirectory() {
    std::wstring path(MAX_PATH, L'\0');
    path.resize(::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

std::string ReadBytes(const std::wstring& path) {
    UniqueFileHandle file{::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, 0, nullptr)};
    std::string bytes;
    char buffer[4096];
    DWORD count = 0;
    while (file && ::ReadFile(file.get(), buffer, sizeof buffer, &count, nullptr) && count > 0) {
        bytes.append(buffer, count);
    }
    return bytes;
}

void WriteBytes(const std::wstring& path, std::string_view bytes) {
    UniqueFileHandle file{::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr)};
    ASSERT_TRUE(file);
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
}

// A fresh root directory, with a Shift_JIS name whose characters end in 0x5C bytes, published as
// the host's RootPath for the time of one test; the previous value comes back afterwards.
class RootDirectory {
public:
    RootDirectory() {
        static int counter = 0;
        wchar_t temp[MAX_PATH]{};
        ::GetTempPathW(MAX_PATH, temp);
        path_ = std::wstring{temp} + L"quellix-" + WideFromSjis("設定ソ表") + L"-" +
                std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
        ::CreateDirectoryW(path_.c_str(), nullptr);
        ::CreateDirectoryW((path_ + L"\\reserve").c_str(), nullptr);
        ::CreateDirectoryW((path_ + L"\\reserve\\GigaPocket").c_str(), nullptr);
        ::RegCreateKeyExW(HKEY_CURRENT_USER, kHostKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, key_.put(),
                          nullptr);
        std::wstring previous(1024, L'\0');
        DWORD size = static_cast<DWORD>(previous.size() * sizeof(wchar_t));
        if (::RegQueryValueExW(key_.get(), L"RootPath", nullptr, nullptr, reinterpret_cast<BYTE*>(previous.data()),
                               &size) == ERROR_SUCCESS) {
            previous.resize(wcsnlen(previous.c_str(), previous.size()));
            previous_ = previous;
            hadPrevious_ = true;
        }
        SetRootPath(path_);
    }
    RootDirectory(const RootDirectory&) = delete;
    RootDirectory& operator=(const RootDirectory&) = delete;
    ~RootDirectory() {
        if (hadPrevious_) {
            SetRootPath(previous_);
        } else {
            ::RegDeleteValueW(key_.get(), L"RootPath");
        }
        for (const wchar_t* name : {L"\\pex.ini", L"\\pex.log", L"\\pex.ini.$$$", L"\\tvconvert.csv",
                                    L"\\pexTVCHNo.csv", L"\\tvchdata.csv"}) {
            ::SetFileAttributesW((path_ + name).c_str(), FILE_ATTRIBUTE_NORMAL);
            ::DeleteFileW((path_ + name).c_str());
        }
        ::RemoveDirectoryW((path_ + L"\\reserve\\GigaPocket").c_str());
        ::RemoveDirectoryW((path_ + L"\\reserve").c_str());
        ::RemoveDirectoryW(path_.c_str());
    }

    [[nodiscard]] std::wstring File(const wchar_t* name) const { return path_ + L"\\" + name; }
    [[nodiscard]] std::wstring ReserveDir() const { return path_ + L"\\reserve\\GigaPocket\\"; }
    // The path as the program spells it: the root directory, "\", the name, in Shift_JIS.
    [[nodiscard]] std::string SjisFile(const char* name) const { return Cat({SjisFromWide(path_), "\\", name}); }

private:
    void SetRootPath(const std::wstring& value) {
        ::RegSetValueExW(key_.get(), L"RootPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                         static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }

    std::wstring path_;
    UniqueHkey key_;
    std::wstring previous_;
    bool hadPrevious_ = false;
};

UniqueKernelHandle StartQuellix(const std::vector<std::wstring>& arguments) {
    std::wstring commandLine = L"\"" + ModuleDirectory() + L"quellix.exe\"";
    for (const std::wstring& argument : arguments) {
        // Backslashes before the closing quote are doubled, or the last one would escape it.
        const std::size_t trailing = argument.size() - (argument.find_last_not_of(L'\\') + 1);
        commandLine += L" \"" + argument + std::wstring(trailing, L'\\') + L"\"";
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process)) {
        ADD_FAILURE() << "quellix.exe did not start: " << ::GetLastError();
        return {};
    }
    ::CloseHandle(process.hThread);
    return UniqueKernelHandle{process.hProcess};
}

// Waits for the program's end; its exit code, or -1 when it did not end in time.
long long WaitForExit(const UniqueKernelHandle& process) {
    if (!process || ::WaitForSingleObject(process.get(), 60000) != WAIT_OBJECT_0) {
        if (process) {
            ::TerminateProcess(process.get(), 99);
            ::WaitForSingleObject(process.get(), 10000);
        }
        return -1;
    }
    DWORD code = 0;
    ::GetExitCodeProcess(process.get(), &code);
    return code;
}

// An import run: the reserve directory as the only argument; the window closes by itself.
long long RunImport(const RootDirectory& root) {
    return WaitForExit(StartQuellix({root.ReserveDir()}));
}

// The settings window as the host opens it, once it is on the screen.
struct SettingsWindow {
    UniqueKernelHandle process;
    HWND window = nullptr;
};

SettingsWindow OpenSettingsWindow(const RootDirectory& root) {
    SettingsWindow opened{StartQuellix({root.ReserveDir(), L"/c"})};
    for (int i = 0; i < 1000 && opened.process; ++i) {
        HWND window = ::FindWindowW(L"TFormPdigi", nullptr);
        if (window != nullptr && ::IsWindowVisible(window)) {
            opened.window = window;
            break;
        }
        if (::WaitForSingleObject(opened.process.get(), 20) == WAIT_OBJECT_0) {
            break;
        }
    }
    EXPECT_NE(opened.window, nullptr) << "the settings window did not appear";
    return opened;
}

std::string FieldText(HWND window) {
    HWND field = ::GetDlgItem(window, 107); // PdigiDir
    wchar_t text[1024]{};
    const LRESULT length = ::SendMessageW(field, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text));
    return SjisFromWide(std::wstring_view{text, static_cast<std::size_t>(length)});
}

// Closes the window as the user does (WM_CLOSE, like the system menu or Alt+F4); the exit code.
long long CloseSettingsWindow(SettingsWindow& opened) {
    if (opened.window != nullptr) {
        ::PostMessageW(opened.window, WM_CLOSE, 0, 0);
    }
    return WaitForExit(opened.process);
}

int ScreenPixelsPerInch() {
    HDC screen = ::GetDC(nullptr);
    const int value = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return value;
}

std::string Resolution() {
    return Cat({"(", Number(::GetSystemMetrics(SM_CXSCREEN)), "x", Number(::GetSystemMetrics(SM_CYSCREEN)), ")"});
}

// The keys a save adds, in order, after FormVersion, for a window at a position.
std::string PlacementKeys(int left, int top) {
    const std::string normal = NormalRect(left, top);
    return Cat({"Flags=0\r\nShowCmd=1\r\nPixelsPerInch=", Number(ScreenPixelsPerInch()), "\r\nMinMaxPos", Resolution(),
                "=-1,-1,-1,-1\r\nMinMaxPos=-1,-1,-1,-1\r\nNormPos", Resolution(), "=", normal, "\r\nNormPos=", normal,
                "\r\nVisible=0\r\n"});
}

TEST(SettingsStoreE2E, FirstCloseCreatesTheFileWithTheTenKeysInOrder) {
    const RootDirectory root;
    SettingsWindow opened = OpenSettingsWindow(root);
    ASSERT_NE(opened.window, nullptr);
    RECT rect{};
    ::GetWindowRect(opened.window, &rect);
    EXPECT_EQ(rect.left, kDesignedLeft);
    EXPECT_EQ(rect.top, kDesignedTop);
    EXPECT_EQ(FieldText(opened.window), "");
    EXPECT_EQ(CloseSettingsWindow(opened), 0);
    EXPECT_EQ(
        ReadBytes(root.File(L"pex.ini")),
        Cat({"[TFormPdigi]\r\nFormVersion=0\r\n", PlacementKeys(kDesignedLeft, kDesignedTop), "PdigiDir_Text=\r\n"}));
}

TEST(SettingsStoreE2E, HostSectionsAndKeysSurviveByteForByte) {
    // Shift_JIS in names and values, with trail bytes 0x5C (ソ, 表) and 0x5D (ゾ, whose trail byte
    // is "]"), LF-only lines and no line break at the very end.
    const std::string before = "; ホスト設定\r\n[Pexlan]\r\nReserveDir=C:\\予約\\ソ表\\\r\n名前 = ゾーン\r\n\r\n"
                               "[ゾ]\nkey=\"引用\"\n\r\n";
    const std::string ours = "[tformpdigi]\r\nPdigiDir_Text=C:\\表示\\ソフト\\\r\nhostkey=ホスト\r\n\r\n";
    const std::string after = "[After]\r\nVisible=ゾ\r\n[TFormPdigi]\r\nFormVersion=-5";
    const RootDirectory root;
    WriteBytes(root.File(L"pex.ini"), before + ours + after);

    EXPECT_EQ(RunImport(root), 0);

    EXPECT_EQ(ReadBytes(root.File(L"pex.ini")),
              Cat({before, "[tformpdigi]\r\nPdigiDir_Text=C:\\表示\\ソフト\\\r\nhostkey=ホスト\r\nFormVersion=0\r\n",
                   PlacementKeys(kDesignedLeft, kDesignedTop), "\r\n", after}));
}

TEST(SettingsStoreE2E, FieldValuesRoundTrip) {
    struct Case {
        const char* stored;  // the line's value in pex.ini
        const char* field;   // what the field shows
        const char* written; // the value the close writes back
    };
    const Case cases[] = {
        {"C:\\表示\\ソフト\\", "C:\\表示\\ソフト\\", "C:\\表示\\ソフト\\"},
        {"  D:\\ソ表\\  ", "D:\\ソ表\\", "D:\\ソ表\\"},
        {"\"\"E:\\引用\\\"\"", "\"E:\\引用\\\"", "\"\"E:\\引用\\\"\""},
        {"\"'F:\\x'\"", "'F:\\x'", "\"'F:\\x'\""},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        const RootDirectory root;
        WriteBytes(root.File(L"pex.ini"), Cat({"[TFormPdigi]\r\nPdigiDir_Text=", c.stored, "\r\n"}));
        SettingsWindow opened = OpenSettingsWindow(root);
        ASSERT_NE(opened.window, nullptr);
        EXPECT_EQ(FieldText(opened.window), c.field);
        EXPECT_EQ(CloseSettingsWindow(opened), 0);
        const std::string saved = ReadBytes(root.File(L"pex.ini"));
        EXPECT_NE(saved.find(Cat({"\r\nPdigiDir_Text=", c.written, "\r\nFormVersion=0\r\n"})), std::string::npos)
            << saved;
    }
}

TEST(SettingsStoreE2E, PositionNeedsTheSameDensityAndTheFieldComesBackRegardless) {
    const std::string ppi = Number(ScreenPixelsPerInch());
    const std::string otherPpi = Number(ScreenPixelsPerInch() + 24);
    const std::string resolution = Resolution();
    struct Case {
        const char* name;
        std::string section;
        int left, top;     // where the window opens
        const char* field; // what the field shows
    };
    const Case cases[] = {
        {"resolution key wins, size stays",
         Cat({"FormVersion=0\r\nPixelsPerInch=", ppi, "\r\nNormPos=50,60,500,300\r\nNormPos", resolution,
              "=100,120,200,200\r\nPdigiDir_Text=C:\\ソ\\\r\n"}),
         100, 120, "C:\\ソ\\"},
        {"plain key after a change of resolution",
         Cat({"PixelsPerInch=", ppi, "\r\nNormPos(1x1)=1,1,2,2\r\nNormPos=50,60,x\r\n"}), 50, 60, ""},
        {"other density: position left alone",
         Cat({"PixelsPerInch=", otherPpi, "\r\nNormPos", resolution, "=100,120,545,303\r\nPdigiDir_Text=C:\\表\\\r\n"}),
         kDesignedLeft, kDesignedTop, "C:\\表\\"},
        {"negative version: nothing applied",
         Cat({"FormVersion=-1\r\nPixelsPerInch=", ppi, "\r\nNormPos=100,120,545,303\r\nPdigiDir_Text=C:\\表\\\r\n"}),
         kDesignedLeft, kDesignedTop, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const RootDirectory root;
        WriteBytes(root.File(L"pex.ini"), Cat({"[TFormPdigi]\r\n", c.section}));
        SettingsWindow opened = OpenSettingsWindow(root);
        ASSERT_NE(opened.window, nullptr);
        RECT rect{};
        ::GetWindowRect(opened.window, &rect);
        EXPECT_EQ(rect.left, c.left);
        EXPECT_EQ(rect.top, c.top);
        EXPECT_EQ(rect.right - rect.left, kWidth);
        EXPECT_EQ(rect.bottom - rect.top, kHeight);
        EXPECT_EQ(FieldText(opened.window), c.field);
        EXPECT_EQ(CloseSettingsWindow(opened), 0);
        // The save records where the window stood.
        EXPECT_NE(ReadBytes(root.File(L"pex.ini"))
                      .find(Cat({"\r\nNormPos", resolution, "=", NormalRect(c.left, c.top), "\r\n"})),
                  std::string::npos);
    }
}

TEST(SettingsStoreE2E, MinimizedStateMinimizesTheApplication) {
    const RootDirectory root;
    WriteBytes(root.File(L"pex.ini"), "[TFormPdigi]\r\nShowCmd=2\r\n");
    SettingsWindow opened = OpenSettingsWindow(root);
    ASSERT_NE(opened.window, nullptr);
    bool minimized = false;
    for (int i = 0; i < 250 && !minimized; ++i) {
        minimized = ::IsIconic(opened.window) != FALSE;
        ::Sleep(20);
    }
    EXPECT_TRUE(minimized);
    EXPECT_EQ(CloseSettingsWindow(opened), 0);
    EXPECT_NE(ReadBytes(root.File(L"pex.ini")).find("\r\nShowCmd=2\r\n"), std::string::npos);
}

TEST(SettingsStoreE2E, UnwritableFileIsLoggedAsAnErrorAndTheProgramStillEnds) {
    const RootDirectory root;
    const std::string content = "[Pexlan]\r\nReserveDir=C:\\予約\\\r\n";
    WriteBytes(root.File(L"pex.ini"), content);
    ASSERT_TRUE(::SetFileAttributesW(root.File(L"pex.ini").c_str(), FILE_ATTRIBUTE_READONLY));
    // Known Wine difference: run as root, Wine lets a read-only file be replaced, so the test also
    // holds the file open the way the host may, without letting anyone write or replace it.
    const UniqueFileHandle held{::CreateFileW(root.File(L"pex.ini").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                              OPEN_EXISTING, 0, nullptr)};
    ASSERT_TRUE(held);

    EXPECT_EQ(RunImport(root), 0);

    EXPECT_EQ(ReadBytes(root.File(L"pex.ini")), content);
    const std::string log = ReadBytes(root.File(L"pex.log"));
    const std::string errorLine = Cat({"pex.log: ", root.SjisFile("pex.ini"), " に書き込めません (C.ERROR)\r\n"});
    EXPECT_NE(log.find(errorLine), std::string::npos) << log;
    EXPECT_NE(log.find("--- END ---"), std::string::npos) << log;
    EXPECT_EQ(::GetFileAttributesW(root.File(L"pex.ini.$$$").c_str()), INVALID_FILE_ATTRIBUTES)
        << "the temporary file was left behind";
}

} // namespace
} // namespace quellix
