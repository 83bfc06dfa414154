// The version is stated once, as the build's project version (QUELLIX_PROJECT_VERSION), and the
// real quellix.exe shows it wherever Windows or a user reads one: the version resource's strings
// and numbers, the manifest's identity, and the About box of the running program.
#include "tests/e2e/e2e_support.h"

#include "support/cp932_win.h"
#include "support/version_info.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <regex>
#include <string>
#include <type_traits>
#include <vector>

namespace quellix::e2e {
namespace {

constexpr int kIdButtonAbout = 106;
constexpr int kIdLabelVersion = 201;

// "1.2.3" as the exe's four-part version, "1.2.3.0"; and the product version, "1.2.0.0".
std::vector<std::string> VersionParts() {
    std::vector<std::string> parts;
    const std::string version = QUELLIX_PROJECT_VERSION;
    for (std::size_t from = 0; from <= version.size();) {
        const std::size_t dot = std::min(version.find('.', from), version.size());
        parts.push_back(version.substr(from, dot - from));
        from = dot + 1;
    }
    parts.resize(4, "0");
    return parts;
}

std::string Joined(const std::vector<std::string>& parts) {
    std::string text = parts[0];
    for (std::size_t i = 1; i < parts.size(); ++i) {
        text.append(".").append(parts[i]);
    }
    return text;
}

using UniqueModule = std::unique_ptr<std::remove_pointer_t<HMODULE>, decltype(&::FreeLibrary)>;

std::string Resource(HMODULE module, const wchar_t* type) {
    const HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(1), type);
    const HGLOBAL loaded = resource == nullptr ? nullptr : ::LoadResource(module, resource);
    return loaded == nullptr
               ? std::string{}
               : std::string{static_cast<const char*>(::LockResource(loaded)), ::SizeofResource(module, resource)};
}

// The four numbers of the fixed file information ("1.0.1.0"), found by its signature.
std::string NumbersOf(const std::string& versionResource, bool product) {
    const std::uint32_t signature = 0xFEEF04BD;
    const std::size_t at = versionResource.find(std::string{reinterpret_cast<const char*>(&signature), 4});
    VS_FIXEDFILEINFO fixed{};
    if (at == std::string::npos || versionResource.size() - at < sizeof fixed) {
        return "(no fixed file information)";
    }
    std::memcpy(&fixed, versionResource.data() + at, sizeof fixed);
    const DWORD most = product ? fixed.dwProductVersionMS : fixed.dwFileVersionMS;
    const DWORD least = product ? fixed.dwProductVersionLS : fixed.dwFileVersionLS;
    return Joined({std::to_string(HIWORD(most)), std::to_string(LOWORD(most)), std::to_string(HIWORD(least)),
                   std::to_string(LOWORD(least))});
}

// Clicks About until the box shows: a click that comes while the window is still starting up (its
// first activation) can be lost, and a second click shows the same box.
HWND OpenAboutBox(HWND mainWindow, DWORD processId) {
    HWND found = nullptr;
    DWORD clickedAt = 0;
    bool clicked = false;
    (void)WaitUntil([&] {
        if (!clicked || ::GetTickCount() - clickedAt >= 500) {
            ::PostMessageW(::GetDlgItem(mainWindow, kIdButtonAbout), BM_CLICK, 0, 0);
            clickedAt = ::GetTickCount();
            clicked = true;
        }
        while ((found = ::FindWindowExW(nullptr, found, L"TAboutForm", nullptr)) != nullptr) {
            DWORD owner = 0;
            ::GetWindowThreadProcessId(found, &owner);
            if (owner == processId && ::IsWindowVisible(found)) {
                return true;
            }
        }
        return false;
    });
    return found;
}

TEST(ProgramVersion, ResourceManifestAndAboutBoxShowTheProjectVersion) {
    std::vector<std::string> parts = VersionParts();
    const std::string version = Joined(parts);
    parts[2] = parts[3] = "0";
    const std::string productVersion = Joined(parts);

    TVersion strings;
    (void)ReadVersionInfo(SjisFromWide(QuellixExe()), strings);
    EXPECT_EQ(strings.FileVersion, version);
    EXPECT_EQ(strings.ProductVersion, productVersion);
    const UniqueModule module{::LoadLibraryExW(QuellixExe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE),
                              &::FreeLibrary};
    ASSERT_TRUE(module);
    const std::string versionResource = Resource(module.get(), MAKEINTRESOURCEW(16)); // RT_VERSION
    EXPECT_EQ(NumbersOf(versionResource, false), version);
    EXPECT_EQ(NumbersOf(versionResource, true), productVersion);
    std::smatch identity;
    const std::string manifest = Resource(module.get(), MAKEINTRESOURCEW(24)); // RT_MANIFEST
    ASSERT_TRUE(std::regex_search(manifest, identity, std::regex{R"re(<assemblyIdentity[^>]*\sversion="([^"]*)")re"}))
        << manifest;
    EXPECT_EQ(identity[1], version);

    // The About box of the settings window reads the running program's own resource.
    TempDir root;
    SetRootPath(root.Path());
    PROCESS_INFORMATION process = StartQuellix({root / L"GigaPocket", L"/c"});
    const HWND window = WaitForMainWindow(process.dwProcessId);
    ASSERT_NE(window, nullptr);
    const HWND about = OpenAboutBox(window, process.dwProcessId);
    wchar_t text[256]{};
    DWORD_PTR ignored = 0;
    if (about != nullptr) {
        ::SendMessageTimeoutW(::GetDlgItem(about, kIdLabelVersion), WM_GETTEXT, std::size(text),
                              reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 10000, &ignored);
    }
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitAndClose(process).finished);
    EXPECT_EQ(SjisFromWide(text), std::string{"バージョン "} + version);
}

} // namespace
} // namespace quellix::e2e
