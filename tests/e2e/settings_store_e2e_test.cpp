// The settings store end to end: the real quellix.exe with a real pex.ini in a fresh root
// directory (registry value RootPath), as an import run that closes itself and as the settings
// window, closed the way a user closes it.
#include "tests/e2e/e2e_support.h"

#include "support/cp932_win.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace quellix::e2e {
namespace {

constexpr int kDesignedLeft = 309;
constexpr int kDesignedTop = 149;
constexpr int kWidth = 445;
constexpr int kHeight = 183;
constexpr int kIdPdigiDir = 107;

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

// The host's root directory for one test, published as RootPath: a folder whose name holds
// Shift_JIS characters ending in 0x5C bytes, with the reserve directory of an import run in it.
class RootDirectory {
public:
    RootDirectory() : path_{temp_ / WideFromSjis("設定ソ表")} {
        ::CreateDirectoryW(path_.c_str(), nullptr);
        ::CreateDirectoryW((path_ + L"\\reserve").c_str(), nullptr);
        ::CreateDirectoryW((path_ + L"\\reserve\\GigaPocket").c_str(), nullptr);
        SetRootPath(path_);
    }

    [[nodiscard]] std::wstring File(const wchar_t* name) const { return path_ + L"\\" + name; }
    [[nodiscard]] std::wstring ReserveDir() const { return path_ + L"\\reserve\\GigaPocket\\"; }
    // The path as the program spells it: the root directory, "\", the name, in Shift_JIS.
    [[nodiscard]] std::string SjisFile(const char* name) const { return Cat({SjisFromWide(path_), "\\", name}); }

private:
    TempDir temp_;
    std::wstring path_;
};

// An import run: the reserve directory as the only argument; the window closes by itself.
// The exit code, or -1 when the program did not end in time.
long long RunImport(const RootDirectory& root) {
    const RunResult result = RunQuellix({root.ReserveDir()});
    return result.finished ? static_cast<long long>(result.exitCode) : -1;
}

// The settings window as the host opens it, once it is on the screen; closed at the latest when
// the test ends, so that a failing test leaves no instance behind.
class SettingsWindow {
public:
    explicit SettingsWindow(const RootDirectory& root) : process_{StartQuellix({root.ReserveDir(), L"/c"})} {
        window_ = WaitForMainWindow(process_.dwProcessId);
        if (window_ != nullptr) {
            (void)WaitUntil([&] { return ::IsWindowVisible(window_) != FALSE; });
        }
        EXPECT_TRUE(window_ != nullptr && ::IsWindowVisible(window_)) << "the settings window did not appear";
    }
    SettingsWindow(const SettingsWindow&) = delete;
    SettingsWindow& operator=(const SettingsWindow&) = delete;
    ~SettingsWindow() { Close(); }

    [[nodiscard]] HWND Handle() const noexcept { return window_; }

    [[nodiscard]] std::string FieldText() const {
        wchar_t text[1024]{};
        const LRESULT length = ::SendMessageW(::GetDlgItem(window_, kIdPdigiDir), WM_GETTEXT, std::size(text),
                                              reinterpret_cast<LPARAM>(text));
        return SjisFromWide(std::wstring_view{text, static_cast<std::size_t>(length)});
    }

    // Closes the window as the user does (WM_CLOSE, like the system menu or Alt+F4). The exit
    // code, or -1 when the program did not end in time.
    long long Close() {
        if (process_.hProcess == nullptr) {
            return -1;
        }
        if (window_ != nullptr) {
            ::PostMessageW(window_, WM_CLOSE, 0, 0);
        }
        const RunResult result = WaitAndClose(process_);
        return result.finished ? static_cast<long long>(result.exitCode) : -1;
    }

    // Ends the program's message loop without a close: a WM_QUIT posted to its thread from outside.
    // The exit code, or -1 when the program did not end in time.
    long long Quit() {
        if (process_.hProcess == nullptr || !::PostThreadMessageW(process_.dwThreadId, WM_QUIT, 0, 0)) {
            return -1;
        }
        window_ = nullptr;
        const RunResult result = WaitAndClose(process_);
        return result.finished ? static_cast<long long>(result.exitCode) : -1;
    }

private:
    PROCESS_INFORMATION process_;
    HWND window_ = nullptr;
};

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
    SettingsWindow opened{root};
    ASSERT_NE(opened.Handle(), nullptr);
    RECT rect{};
    ::GetWindowRect(opened.Handle(), &rect);
    EXPECT_EQ(rect.left, kDesignedLeft);
    EXPECT_EQ(rect.top, kDesignedTop);
    EXPECT_EQ(opened.FieldText(), "");
    EXPECT_EQ(opened.Close(), 0);
    EXPECT_EQ(
        ReadFileBytes(root.File(L"pex.ini")),
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
    WriteFileBytes(root.File(L"pex.ini"), before + ours + after);

    EXPECT_EQ(RunImport(root), 0);

    EXPECT_EQ(ReadFileBytes(root.File(L"pex.ini")),
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
        {"G", "G", "G"}, // one character
        {"", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        const RootDirectory root;
        WriteFileBytes(root.File(L"pex.ini"), Cat({"[TFormPdigi]\r\nPdigiDir_Text=", c.stored, "\r\n"}));
        SettingsWindow opened{root};
        ASSERT_NE(opened.Handle(), nullptr);
        EXPECT_EQ(opened.FieldText(), c.field);
        EXPECT_EQ(opened.Close(), 0);
        const std::string saved = ReadFileBytes(root.File(L"pex.ini"));
        EXPECT_NE(saved.find(Cat({"\r\nPdigiDir_Text=", c.written, "\r\nFormVersion=0\r\n"})), std::string::npos)
            << saved;
    }
}

// A directory typed into the field whose name Shift_JIS cannot hold is told in the log; pex.ini
// keeps the value it had rather than a look-alike (é written as e names another directory).
TEST(SettingsStoreE2E, ATypedDirectoryThatShiftJisCannotHoldIsLoggedAndNotStored) {
    const RootDirectory root;
    WriteFileBytes(root.File(L"pex.ini"), "[TFormPdigi]\r\nPdigiDir_Text=C:\\表\\\r\n");
    SettingsWindow opened{root};
    ASSERT_NE(opened.Handle(), nullptr);
    ::SendMessageW(::GetDlgItem(opened.Handle(), kIdPdigiDir), WM_SETTEXT, 0,
                   reinterpret_cast<LPARAM>(L"C:\\Caf\u00e9\\"));
    EXPECT_EQ(opened.Close(), 0);
    const std::string saved = ReadFileBytes(root.File(L"pex.ini"));
    EXPECT_NE(saved.find("PdigiDir_Text=C:\\表\\\r\n"), std::string::npos) << saved;
    EXPECT_EQ(saved.find("Caf"), std::string::npos) << saved;
    EXPECT_NE(
        ReadFileBytes(root.File(L"pex.log"))
            .find("pex.log: フォルダー[C:\\Caf?\\]は、名前に日本語版 Windows の文字コード (Shift_JIS) にない文字 (?) "
                  "があるため使いません. (C.ERROR)\r\n"),
        std::string::npos);
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
        WriteFileBytes(root.File(L"pex.ini"), Cat({"[TFormPdigi]\r\n", c.section}));
        SettingsWindow opened{root};
        ASSERT_NE(opened.Handle(), nullptr);
        RECT rect{};
        ::GetWindowRect(opened.Handle(), &rect);
        EXPECT_EQ(rect.left, c.left);
        EXPECT_EQ(rect.top, c.top);
        EXPECT_EQ(rect.right - rect.left, kWidth);
        EXPECT_EQ(rect.bottom - rect.top, kHeight);
        EXPECT_EQ(opened.FieldText(), c.field);
        EXPECT_EQ(opened.Close(), 0);
        // The save records where the window stood.
        EXPECT_NE(ReadFileBytes(root.File(L"pex.ini"))
                      .find(Cat({"\r\nNormPos", resolution, "=", NormalRect(c.left, c.top), "\r\n"})),
                  std::string::npos);
    }
}

TEST(SettingsStoreE2E, MinimizedOrMaximizedStateIsApplied) {
    const struct {
        const char* showCmd;
        BOOL(WINAPI* state)(HWND);
    } cases[] = {{"2", ::IsIconic}, {"3", ::IsZoomed}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.showCmd);
        const RootDirectory root;
        WriteFileBytes(root.File(L"pex.ini"), Cat({"[TFormPdigi]\r\nShowCmd=", c.showCmd, "\r\n"}));
        SettingsWindow opened{root};
        ASSERT_NE(opened.Handle(), nullptr);
        EXPECT_TRUE(WaitUntil([&] { return c.state(opened.Handle()) != FALSE; }));
        EXPECT_EQ(opened.Close(), 0);
        EXPECT_NE(ReadFileBytes(root.File(L"pex.ini")).find(Cat({"\r\nShowCmd=", c.showCmd, "\r\n"})),
                  std::string::npos);
    }
}

// A window that goes away without a close accepted first still saves its settings on the way,
// and marks them as saved while the window was still there.
TEST(SettingsStoreE2E, AWindowDestroyedWithoutACloseSavesToo) {
    const RootDirectory root;
    SettingsWindow opened{root};
    ASSERT_NE(opened.Handle(), nullptr);
    EXPECT_EQ(opened.Quit(), 0);
    const std::string ini = ReadFileBytes(root.File(L"pex.ini"));
    EXPECT_NE(ini.find(Cat({"[TFormPdigi]\r\nFormVersion=0\r\nFlags=0\r\nShowCmd=1\r\n"})), std::string::npos) << ini;
    EXPECT_NE(ini.find("\r\nVisible=1\r\nPdigiDir_Text="), std::string::npos) << ini;
}

TEST(SettingsStoreE2E, UnwritableFileIsLoggedAsAnErrorAndTheProgramStillEnds) {
    const RootDirectory root;
    const std::string content = "[Pexlan]\r\nReserveDir=C:\\予約\\\r\n";
    WriteFileBytes(root.File(L"pex.ini"), content);
    ASSERT_TRUE(::SetFileAttributesW(root.File(L"pex.ini").c_str(), FILE_ATTRIBUTE_READONLY));
    // Known Wine difference: run as root, Wine lets a read-only file be replaced, so the test also
    // holds the file open the way the host may, without letting anyone write or replace it.
    const UniqueFileHandle held{::CreateFileW(root.File(L"pex.ini").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                              OPEN_EXISTING, 0, nullptr)};
    ASSERT_TRUE(held);

    EXPECT_EQ(RunImport(root), 0);

    EXPECT_EQ(ReadFileBytes(root.File(L"pex.ini")), content);
    const std::string log = ReadFileBytes(root.File(L"pex.log"));
    const std::string errorLine = Cat({"pex.log: ", root.SjisFile("pex.ini"), " に書き込めません (C.ERROR)\r\n"});
    EXPECT_NE(log.find(errorLine), std::string::npos) << log;
    EXPECT_NE(log.find("--- END ---"), std::string::npos) << log;
    EXPECT_EQ(::GetFileAttributesW(root.File(L"pex.ini.$$$").c_str()), INVALID_FILE_ATTRIBUTES)
        << "the temporary file was left behind";
}

} // namespace
} // namespace quellix::e2e
