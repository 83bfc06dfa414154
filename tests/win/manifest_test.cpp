// What Windows reads from quellix.exe before any of its code runs, and what Wine does not
// enforce: the manifest must name the exe's own processor architecture (or any), since Windows
// refuses to start a program whose manifest names another one; it must leave the program to the
// same file virtualization as its host; the exe's name and version strings must not make Windows
// take it for an installer; and every DLL it imports must be one that Windows always takes from
// its system directory, never one lying beside the exe.
#include "support/cp932_win.h"
#include "tests/win/win_test_support.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <regex>
#include <string>
#include <type_traits>
#include <vector>

namespace quellix {
namespace {

std::string ProgramPath() {
    return win_test::BinDir() + "quellix.exe";
}

std::string ManifestOf(const std::wstring& exe) {
    const std::unique_ptr<std::remove_pointer_t<HMODULE>, decltype(&::FreeLibrary)> module{
        ::LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE), &::FreeLibrary};
    if (!module) {
        return "(cannot load)";
    }
    const HRSRC resource = ::FindResourceW(module.get(), MAKEINTRESOURCEW(1), RT_MANIFEST);
    const HGLOBAL loaded = resource == nullptr ? nullptr : ::LoadResource(module.get(), resource);
    if (loaded == nullptr) {
        return "(no manifest)";
    }
    return {static_cast<const char*>(::LockResource(loaded)), ::SizeofResource(module.get(), resource)};
}

std::string ProcessorArchitectureOfManifest(const std::wstring& exe) {
    const std::string manifest = ManifestOf(exe);
    std::smatch match;
    if (!std::regex_search(manifest, match,
                           std::regex{R"re(<assemblyIdentity[^>]*processorArchitecture="([^"]*)")re"})) {
        return "(no processorArchitecture)";
    }
    return match[1];
}

template <typename T> T At(const std::string& bytes, std::size_t offset) {
    T value{};
    if (offset <= bytes.size() && sizeof value <= bytes.size() - offset) {
        std::memcpy(&value, bytes.data() + offset, sizeof value);
    }
    return value;
}

// The architecture a manifest names for an exe of this machine type.
std::string ManifestArchitectureOf(const std::string& exeBytes) {
    if (exeBytes.size() < 0x40) {
        return "(not an exe)";
    }
    const auto peOffset = static_cast<std::size_t>(At<std::uint32_t>(exeBytes, 0x3C));
    if (exeBytes.size() < peOffset + 6) {
        return "(not an exe)";
    }
    switch (At<std::uint16_t>(exeBytes, peOffset + 4)) {
    case IMAGE_FILE_MACHINE_I386:
        return "x86";
    case IMAGE_FILE_MACHINE_AMD64:
        return "amd64";
    default:
        return "(another machine)";
    }
}

// The DLLs a PE file (32 or 64 bits) names in its import and delay-import tables, lower-cased,
// read from the file's bytes: the same check covers an exe of either width.
std::vector<std::string> ImportedDlls(const std::string& exe) {
    const auto pe = static_cast<std::size_t>(At<std::uint32_t>(exe, 0x3C));
    if (At<std::uint32_t>(exe, pe) != IMAGE_NT_SIGNATURE) {
        return {"(not an exe)"};
    }
    const std::size_t fileHeader = pe + 4;
    const std::size_t optional = fileHeader + IMAGE_SIZEOF_FILE_HEADER;
    const auto sections = At<std::uint16_t>(exe, fileHeader + 2);
    const auto optionalSize = At<std::uint16_t>(exe, fileHeader + 16);
    const bool wide = At<std::uint16_t>(exe, optional) == IMAGE_NT_OPTIONAL_HDR64_MAGIC;
    const std::size_t directories = optional + (wide ? 112 : 96);
    const std::size_t sectionTable = optional + optionalSize;
    const auto fileOffset = [&](std::uint32_t rva) -> std::size_t {
        for (std::uint16_t i = 0; i < sections; ++i) {
            const std::size_t header = sectionTable + i * std::size_t{IMAGE_SIZEOF_SECTION_HEADER};
            const auto virtualAddress = At<std::uint32_t>(exe, header + 12);
            const auto rawSize = At<std::uint32_t>(exe, header + 16);
            const auto rawOffset = At<std::uint32_t>(exe, header + 20);
            if (rva >= virtualAddress && rva - virtualAddress < rawSize) {
                return rawOffset + (rva - virtualAddress);
            }
        }
        return exe.size();
    };
    std::vector<std::string> dlls;
    const struct {
        int directory;
        std::size_t descriptorSize;
        std::size_t nameField;
    } tables[] = {
        {IMAGE_DIRECTORY_ENTRY_IMPORT, 20, 12},      // IMAGE_IMPORT_DESCRIPTOR: Name
        {IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT, 32, 4}, // the delay-load descriptor: DllNameRVA
    };
    for (const auto& table : tables) {
        const auto rva = At<std::uint32_t>(exe, directories + 8 * static_cast<std::size_t>(table.directory));
        if (rva == 0) {
            continue;
        }
        for (std::size_t descriptor = fileOffset(rva); descriptor < exe.size(); descriptor += table.descriptorSize) {
            const auto nameRva = At<std::uint32_t>(exe, descriptor + table.nameField);
            if (nameRva == 0) {
                break;
            }
            const std::size_t name = fileOffset(nameRva);
            std::string dll = name < exe.size() ? exe.substr(name, exe.find('\0', name) - name) : "(bad name)";
            std::transform(dll.begin(), dll.end(), dll.begin(),
                           [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
            dlls.push_back(dll);
        }
    }
    return dlls;
}

TEST(ProgramManifest, NamesTheExesOwnProcessorArchitecture) {
    const std::string exe = ProgramPath();
    const std::string named = ProcessorArchitectureOfManifest(WideFromSjis(exe));
    if (named != "*") {
        EXPECT_EQ(named, ManifestArchitectureOf(win_test::ReadBytes(exe)));
    }
}

// The host is an old 32-bit program without a manifest. Run without elevation from a protected
// folder (Program Files), Windows virtualizes it: its writes go to the user's VirtualStore, and it
// reads those copies first. A 32-bit program whose manifest names an execution level is never
// virtualized, so the program would read the host's stale originals and fail on every write.
// Without one it is virtualized exactly when the host is, and both see the same files. Such a
// program is also subject to Windows' installer detection, which goes by the file's name and
// version strings.
TEST(ProgramManifest, LeavesTheProgramToTheHostsFileVirtualization) {
    const std::string manifest = ManifestOf(WideFromSjis(ProgramPath()));
    EXPECT_NE(manifest.find("<assemblyIdentity"), std::string::npos) << manifest;
    for (const char* absent : {"trustInfo", "requestedExecutionLevel", "requestedPrivileges"}) {
        EXPECT_EQ(manifest.find(absent), std::string::npos) << absent;
    }
    for (const char* os : {"{e2011457-1546-43c5-a5fe-008deee3d3f0}",    // Vista
                           "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",    // 7
                           "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",    // 8
                           "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",    // 8.1
                           "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}) { // 10 and 11
        EXPECT_NE(manifest.find(std::string{"<supportedOS Id=\""} + os + "\"/>"), std::string::npos) << os;
    }

    const std::wstring exe = WideFromSjis(ProgramPath());
    DWORD ignored = 0;
    std::vector<unsigned char> version(::GetFileVersionInfoSizeW(exe.c_str(), &ignored));
    ASSERT_FALSE(version.empty());
    ASSERT_TRUE(::GetFileVersionInfoW(exe.c_str(), 0, static_cast<DWORD>(version.size()), version.data()));
    std::vector<std::wstring> texts{exe.substr(exe.find_last_of(L'\\') + 1)};
    for (const wchar_t* key : {L"CompanyName", L"FileDescription", L"InternalName", L"LegalCopyright",
                               L"LegalTrademarks", L"OriginalFilename", L"ProductName", L"Comments"}) {
        void* value = nullptr;
        UINT length = 0;
        if (::VerQueryValueW(version.data(), (std::wstring{L"\\StringFileInfo\\041103A4\\"} + key).c_str(), &value,
                             &length)) {
            texts.emplace_back(static_cast<const wchar_t*>(value));
        }
    }
    EXPECT_GE(texts.size(), 8U);
    for (std::wstring text : texts) {
        std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return ::towlower(c); });
        for (const wchar_t* word : {L"setup", L"install", L"update", L"patch"}) {
            EXPECT_EQ(text.find(word), std::wstring::npos) << SjisFromWide(text);
        }
    }
}

// A DLL that is not one of Windows' KnownDLLs is looked for in the exe's own folder first, so a
// version.dll lying beside quellix.exe would be loaded and run. These are the KnownDLLs of every
// Windows from Vista on (ntdll.dll is mapped into every process before anything else); any other
// library the program needs is loaded from the system directory at run time.
TEST(ProgramImports, OnlyDllsWindowsAlwaysTakesFromItsSystemDirectory) {
    const std::vector<std::string> knownDlls{
        "advapi32.dll", "comdlg32.dll", "gdi32.dll",   "kernel32.dll", "msvcrt.dll", "ntdll.dll", "ole32.dll",
        "oleaut32.dll", "rpcrt4.dll",   "shell32.dll", "shlwapi.dll",  "user32.dll", "ws2_32.dll"};
    const std::vector<std::string> imported = ImportedDlls(win_test::ReadBytes(ProgramPath()));
    EXPECT_NE(std::find(imported.begin(), imported.end(), "kernel32.dll"), imported.end()); // the reader works
    for (const std::string& dll : imported) {
        EXPECT_TRUE(std::find(knownDlls.begin(), knownDlls.end(), dll) != knownDlls.end()) << dll;
    }
}

} // namespace
} // namespace quellix
