// The string version information of a file (the program reads only its own executable's).
#pragma once

#include <string>

namespace quellix {

struct TVersion {
    std::string CompanyName;
    std::string FileDescription;
    std::string FileVersion;
    std::string InternalName;
    std::string LegalCopyright;
    std::string LegalTradeMarks;
    std::string OriginalFileName;
    std::string ProductName;
    std::string ProductVersion;
    std::string Comment;
    std::string ScrnSave;
};

// The version-resource keys, walked in this order; field n of TVersion receives key n. The
// spellings are the reader's own and are kept as they are ("LeagalTradeMarks", "Comment").
inline constexpr const char* kVersionKeys[11] = {
    "CompanyName",      "FileDescription", "FileVersion",    "InternalName", "LegalCopyright", "LeagalTradeMarks",
    "OriginalFileName", "ProductName",     "ProductVersion", "Comment",      "SCRNSAVE",
};

[[nodiscard]] std::string* VersionField(TVersion& version, int index) noexcept;

// Clears every field, then reads the file's version resource (extensions .exe, .dll, .scr, .ocx,
// .jpn and their fragments) or its text header (any other file). Always returns true.
bool ReadVersionInfo(const std::string& path, TVersion& version);

// The platform part: fills the fields from the version resource's first translation block.
void ReadVersionResource(const std::string& path, TVersion& version);

// The text-header part: the product name, version and author from a comment among the first
// ten lines of a script-like text ("# Tool ver 1.2 by Someone").
void ReadVersionTextHeader(std::string_view text, TVersion& version);

} // namespace quellix
