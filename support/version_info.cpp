#include "support/version_info.h"

#include "support/line_reader.h"
#include "support/os.h"
#include "support/text.h"

namespace quellix {

std::string* VersionField(TVersion& v, int index) noexcept {
    std::string* fields[11] = {&v.CompanyName,    &v.FileDescription, &v.FileVersion,      &v.InternalName,
                               &v.LegalCopyright, &v.LegalTradeMarks, &v.OriginalFileName, &v.ProductName,
                               &v.ProductVersion, &v.Comment,         &v.ScrnSave};
    return index >= 0 && index < 11 ? fields[index] : nullptr;
}

bool ReadVersionInfo(const std::string& path, TVersion& version) {
    version = TVersion{};
    const std::string name = ExtractFileName(path);
    const std::size_t dot = name.rfind('.');
    const std::string extension = dot == std::string::npos ? std::string{} : AsciiLower(name.substr(dot));
    if (!extension.empty() && std::string_view{".exe.dll.scr.ocx.jpn"}.find(extension) != std::string_view::npos) {
        ReadVersionResource(path, version);
        return true;
    }
    os::File file = os::OpenFile(path, os::OpenMode::ReadExisting, os::Share::Read);
    if (!file.IsOpen()) {
        return true;
    }
    std::string head;
    char buffer[4096];
    for (long long got = 0; head.size() < 16384 && (got = file.Read(buffer, sizeof buffer)) > 0;) {
        head.append(buffer, static_cast<std::size_t>(got));
    }
    ReadVersionTextHeader(head, version);
    return true;
}

void ReadVersionTextHeader(std::string_view text, TVersion& version) {
    int lines = 0;
    bool done = false;
    ForEachLine(text, [&](std::string_view line) {
        if (done || ++lines > 10) {
            done = true;
            return;
        }
        std::string body = TrimLeft(line);
        const std::string lower = AsciiLower(body);
        if (lower.rfind("#!", 0) == 0) {
            return;
        }
        if (lower.rfind('#', 0) == 0 || lower.rfind('\'', 0) == 0) {
            body.erase(0, 1);
        } else if (lower.rfind("rem", 0) == 0) {
            body.erase(0, 3);
        } else {
            return;
        }
        body = Trim(body);
        const std::string key = AsciiLower(body);
        const std::size_t ver = SjisPos("ver", key);
        const std::size_t by = SjisPos("by", key);
        const std::size_t nameEnd = ver > 0 && (by == 0 || ver < by) ? ver : by;
        if (version.ProductName.empty() && nameEnd > 1) {
            version.ProductName = Trim(body.substr(0, nameEnd - 1));
        }
        if (version.FileVersion.empty() && ver > 0) {
            std::size_t from = ver - 1 + 3;
            if (key.compare(ver - 1, 7, "version") == 0) {
                from = ver - 1 + 7;
            } else if (key.compare(ver - 1, 4, "ver.") == 0) {
                from = ver - 1 + 4;
            }
            const std::size_t to = by > ver ? by - 1 : body.size();
            version.FileVersion = Trim(body.substr(from, to > from ? to - from : 0));
        }
        if (version.LegalCopyright.empty() && by > 0) {
            version.LegalCopyright = Trim(body.substr(by - 1 + 2));
        }
        done = !version.ProductName.empty() && !version.FileVersion.empty() && !version.LegalCopyright.empty();
    });
}

} // namespace quellix
