// The manifest built into quellix.exe must name the exe's own processor architecture (or any):
// Windows refuses to start a program whose manifest names another one, while Wine starts it all
// the same, so nothing else under Wine would notice.
#include "support/cp932_win.h"
#include "tests/win/win_test_support.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <memory>
#include <regex>
#include <string>
#include <type_traits>

namespace quellix {
namespace {

std::string ProcessorArchitectureOfManifest(const std::wstring& exe) {
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
    const std::string manifest{static_cast<const char*>(::LockResource(loaded)),
                               ::SizeofResource(module.get(), resource)};
    std::smatch match;
    if (!std::regex_search(manifest, match,
                           std::regex{R"re(<assemblyIdentity[^>]*processorArchitecture="([^"]*)")re"})) {
        return "(no processorArchitecture)";
    }
    return match[1];
}

// The architecture a manifest names for an exe of this machine type.
std::string ManifestArchitectureOf(const std::string& exeBytes) {
    if (exeBytes.size() < 0x40) {
        return "(not an exe)";
    }
    const auto peOffset = static_cast<std::size_t>(*reinterpret_cast<const std::uint32_t*>(exeBytes.data() + 0x3C));
    if (exeBytes.size() < peOffset + 6) {
        return "(not an exe)";
    }
    switch (*reinterpret_cast<const std::uint16_t*>(exeBytes.data() + peOffset + 4)) {
    case IMAGE_FILE_MACHINE_I386:
        return "x86";
    case IMAGE_FILE_MACHINE_AMD64:
        return "amd64";
    default:
        return "(another machine)";
    }
}

TEST(ProgramManifest, NamesTheExesOwnProcessorArchitecture) {
    const std::string exe = win_test::BinDir() + "quellix.exe";
    const std::string named = ProcessorArchitectureOfManifest(WideFromSjis(exe));
    if (named != "*") {
        EXPECT_EQ(named, ManifestArchitectureOf(win_test::ReadBytes(exe)));
    }
}

} // namespace
} // namespace quellix
