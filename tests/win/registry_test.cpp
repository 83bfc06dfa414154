#include "support/registry_win.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace quellix {
namespace {

// A scratch key under HKEY_CURRENT_USER, removed with its values at the end.
class RegistryReaderTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(
            ::RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key_.put(), nullptr),
            ERROR_SUCCESS);
    }
    void TearDown() override {
        key_.reset();
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
    }
    void Set(const wchar_t* name, DWORD type, const void* data, std::size_t size) {
        ASSERT_EQ(::RegSetValueExW(key_.get(), name, 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size)),
                  ERROR_SUCCESS);
    }

    static constexpr const wchar_t* kKey = L"Software\\QuellixTest\\RegistryReader";
    UniqueHkey key_;
};

TEST_F(RegistryReaderTest, ReadsStringsAndDwordsOfTheirOwnTypeOnly) {
    const std::wstring dir = L"C:\\\u8868\u793a\\\u30bd"; // 表示 and ソ: trail bytes 0x5C in Shift_JIS
    Set(L"Dir", REG_SZ, dir.c_str(), (dir.size() + 1) * sizeof(wchar_t));
    const std::wstring expand = L"%TEMP%\\x";
    Set(L"Expand", REG_EXPAND_SZ, expand.c_str(), (expand.size() + 1) * sizeof(wchar_t));
    Set(L"NoNul", REG_SZ, L"abc", 3 * sizeof(wchar_t)); // stored without its terminating NUL
    Set(L"Empty", REG_SZ, L"", sizeof(wchar_t));
    const DWORD seven = 7;
    Set(L"LocationIdx", REG_DWORD, &seven, sizeof seven);
    const std::uint64_t wide = 7;
    Set(L"Qword", REG_QWORD, &wide, sizeof wide);
    Set(L"Binary", REG_BINARY, &seven, sizeof seven);

    const auto reader = RegistryKeyReader::OpenCurrentUser("Software\\QuellixTest\\RegistryReader");
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->ReadString("Dir"), std::optional<std::string>{"C:\\表示\\ソ"});
    EXPECT_EQ(reader->ReadString("Expand"), std::optional<std::string>{"%TEMP%\\x"}); // not expanded
    EXPECT_EQ(reader->ReadString("NoNul"), std::optional<std::string>{"abc"});
    EXPECT_EQ(reader->ReadString("Empty"), std::optional<std::string>{""});
    EXPECT_EQ(reader->ReadString("LocationIdx"), std::nullopt);
    EXPECT_EQ(reader->ReadString("Missing"), std::nullopt);

    EXPECT_EQ(reader->ReadDword("LocationIdx"), std::optional<std::uint32_t>{7});
    EXPECT_EQ(reader->ReadDword("Qword"), std::nullopt);
    EXPECT_EQ(reader->ReadDword("Binary"), std::nullopt);
    EXPECT_EQ(reader->ReadDword("Dir"), std::nullopt);
    EXPECT_EQ(reader->ReadDword("Missing"), std::nullopt);

    EXPECT_EQ(reader->ValueType("Dir"), std::optional<DWORD>{REG_SZ});
    EXPECT_EQ(reader->ValueType("Binary"), std::optional<DWORD>{REG_BINARY});
    EXPECT_EQ(reader->ValueType("Missing"), std::nullopt);
}

TEST_F(RegistryReaderTest, AMissingKeyDoesNotOpenAndIsNotCreated) {
    EXPECT_FALSE(RegistryKeyReader::OpenCurrentUser("Software\\QuellixTest\\RegistryReader\\Missing"));
    HKEY probe = nullptr;
    EXPECT_NE(
        ::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\QuellixTest\\RegistryReader\\Missing", 0, KEY_READ, &probe),
        ERROR_SUCCESS);
}

} // namespace
} // namespace quellix
