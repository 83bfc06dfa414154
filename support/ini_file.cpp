#include "support/ini_file.h"

#include "support/os.h"
#include "support/text.h"
#include "support/text_encoding.h"

#include <array>

namespace quellix::ini {

namespace {

struct Line {
    std::size_t begin = 0; // first byte
    std::size_t end = 0;   // one past the last byte before the line break
    std::size_t next = 0;  // first byte of the following line
};

enum class Kind { Blank, Section, Key, Other };

struct Parsed {
    Kind kind = Kind::Other;
    std::string name;         // section or key name, trimmed
    std::size_t equals = 0;   // offset of "=" in the line (keys)
    std::string_view value{}; // text after "=" (keys)
};

// Visits every line; a line ends at LF, with a CR before it not part of the line. `visit` returns
// false to stop.
template <typename Visit> void ForEachLine(std::string_view content, Visit visit) {
    std::size_t position = 0;
    while (position < content.size()) {
        Line line{position, content.size(), content.size()};
        const std::size_t newline = content.find('\n', position);
        if (newline != std::string_view::npos) {
            line.end = newline;
            line.next = newline + 1;
        }
        if (line.end > line.begin && content[line.end - 1] == '\r') {
            --line.end;
        }
        if (!visit(line)) {
            return;
        }
        position = line.next;
    }
}

// Offset of the first `c` that is a character of its own, not the trail byte of a double-byte
// character (a section name may hold "ゾ", whose trail byte is "]"). In UTF-8 no byte of a
// character beyond ASCII is below 0x80.
std::size_t FindCharacter(std::string_view text, char c, bool utf8) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == c) {
            return i;
        }
        if (!utf8 && IsSjisLeadByte(static_cast<unsigned char>(text[i]))) {
            ++i;
        }
    }
    return std::string_view::npos;
}

Parsed Parse(std::string_view text, bool utf8) {
    Parsed parsed{};
    const std::string leading = TrimLeft(text);
    if (leading.empty()) {
        parsed.kind = Kind::Blank;
    } else if (leading.front() == '[') {
        const std::string_view inner = std::string_view{leading}.substr(1);
        parsed.kind = Kind::Section;
        parsed.name = Trim(inner.substr(0, FindCharacter(inner, ']', utf8)));
    } else if (leading.front() != ';') { // comment lines are kept, never matched
        const std::size_t equals = FindCharacter(text, '=', utf8);
        if (equals != std::string_view::npos) {
            parsed.kind = Kind::Key;
            parsed.name = Trim(text.substr(0, equals));
            parsed.equals = equals;
            parsed.value = text.substr(equals + 1);
        }
    }
    return parsed;
}

bool SameName(std::string_view a, std::string_view b) {
    return AsciiLower(a) == AsciiLower(b);
}

std::string Unquote(std::string value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

// How the file is stored: Shift_JIS, or with a byte order mark, UTF-8 or UTF-16 as Windows' own
// profile functions read and write a file that starts with one. The others are edited as UTF-8.
enum class Form { ShiftJis, Utf8, Utf16Le, Utf16Be };

Form FormOf(std::string_view content) {
    if (content.starts_with("\xEF\xBB\xBF")) {
        return Form::Utf8;
    }
    if (content.starts_with("\xFF\xFE")) {
        return Form::Utf16Le;
    }
    if (content.starts_with("\xFE\xFF")) {
        return Form::Utf16Be;
    }
    return Form::ShiftJis;
}

std::string Utf8Text(std::string_view content, Form form) {
    if (form == Form::Utf8) {
        return std::string{content.substr(3)};
    }
    return Utf8FromUtf16(content.substr(2), form == Form::Utf16Be);
}

// The file's bytes for the edited text; a UTF-16 file's odd last byte stays at its end.
std::string StoredForm(std::string_view utf8, Form form, std::string_view content) {
    if (form == Form::Utf8) {
        return "\xEF\xBB\xBF" + std::string{utf8};
    }
    const bool big = form == Form::Utf16Be;
    std::string stored = (big ? "\xFE\xFF" : "\xFF\xFE") + Utf16FromUtf8(utf8, big);
    if (content.size() % 2 != 0) {
        stored += content.back();
    }
    return stored;
}

std::optional<std::string> FindIn(std::string_view content, std::string_view section, std::string_view key, bool utf8);
std::string SetIn(std::string_view content, std::string_view section, std::string_view key, std::string_view value,
                  bool utf8);

} // namespace

std::optional<std::string> ReadFileText(const std::string& path) {
    os::File file = os::OpenFileWaitingOutHolds(path, os::OpenMode::ReadExisting, os::Share::ReadWrite);
    if (!file.IsOpen()) {
        return std::nullopt;
    }
    std::string content;
    std::array<char, 16384> buffer{};
    for (;;) {
        const long long count = file.Read(buffer.data(), buffer.size());
        if (count < 0) {
            return std::nullopt;
        }
        if (count == 0) {
            return content;
        }
        content.append(buffer.data(), static_cast<std::size_t>(count));
    }
}

std::optional<std::string> FindValue(std::string_view content, std::string_view section, std::string_view key) {
    const Form form = FormOf(content);
    if (form == Form::ShiftJis) {
        return FindIn(content, section, key, false);
    }
    const std::optional<std::string> value =
        FindIn(Utf8Text(content, form), Utf8FromSjis(section), Utf8FromSjis(key), true);
    return value ? std::optional<std::string>{SjisFromFileBytes(*value, TextEncoding::Utf8, '?').text} : std::nullopt;
}

std::string SetValue(std::string_view content, std::string_view section, std::string_view key, std::string_view value) {
    const Form form = FormOf(content);
    if (form == Form::ShiftJis) {
        return SetIn(content, section, key, value, false);
    }
    return StoredForm(
        SetIn(Utf8Text(content, form), Utf8FromSjis(section), Utf8FromSjis(key), Utf8FromSjis(value), true), form,
        content);
}

namespace {

std::optional<std::string> FindIn(std::string_view content, std::string_view section, std::string_view key, bool utf8) {
    bool inSection = false;
    bool seenSection = false;
    std::optional<std::string> found;
    ForEachLine(content, [&](const Line& line) {
        const Parsed parsed = Parse(content.substr(line.begin, line.end - line.begin), utf8);
        if (parsed.kind == Kind::Section) {
            if (inSection) {
                return false; // only the first section of that name counts
            }
            inSection = !seenSection && SameName(parsed.name, section);
            seenSection = seenSection || inSection;
        } else if (inSection && parsed.kind == Kind::Key && SameName(parsed.name, key)) {
            found = Unquote(Trim(parsed.value));
            return false;
        }
        return true;
    });
    return found;
}

std::string SetIn(std::string_view content, std::string_view section, std::string_view key, std::string_view value,
                  bool utf8) {
    value = value.substr(0, value.find_first_of("\r\n"));
    bool inSection = false;
    bool seenSection = false;
    std::optional<Line> keyLine;
    std::size_t equals = 0;
    Line lastFilled{}; // the last line of the section that is not blank
    ForEachLine(content, [&](const Line& line) {
        const Parsed parsed = Parse(content.substr(line.begin, line.end - line.begin), utf8);
        if (parsed.kind == Kind::Section) {
            if (inSection) {
                return false;
            }
            inSection = !seenSection && SameName(parsed.name, section);
            seenSection = seenSection || inSection;
            lastFilled = line;
        } else if (inSection && parsed.kind == Kind::Key && SameName(parsed.name, key)) {
            keyLine = line;
            equals = parsed.equals;
            return false;
        } else if (inSection && parsed.kind != Kind::Blank) {
            lastFilled = line;
        }
        return true;
    });

    std::string updated;
    updated.reserve(content.size() + section.size() + key.size() + value.size() + 8);
    if (keyLine) { // the key's own spelling and spacing up to "=" stay
        updated.append(content.substr(0, keyLine->begin + equals + 1));
        updated.append(value);
        updated.append(content.substr(keyLine->end));
        return updated;
    }
    const std::string entry = std::string{key} + "=" + std::string{value} + "\r\n";
    if (seenSection) {
        updated.append(content.substr(0, lastFilled.next));
        if (lastFilled.next == lastFilled.end) { // the file ends without a line break
            updated.append("\r\n");
        }
        updated.append(entry);
        updated.append(content.substr(lastFilled.next));
        return updated;
    }
    updated.append(content);
    if (!content.empty() && content.back() != '\n') {
        updated.append("\r\n");
    }
    updated.append("[").append(section).append("]\r\n").append(entry);
    return updated;
}

} // namespace

bool WriteString(const std::string& path, std::string_view section, std::string_view key, std::string_view value) {
    return WriteStrings(path, section, {{std::string{key}, std::string{value}}});
}

bool WriteStrings(const std::string& path, std::string_view section,
                  const std::vector<std::pair<std::string, std::string>>& keysAndValues) {
    std::string content;
    if (os::FileExists(path)) {
        std::optional<std::string> existing = ReadFileText(path);
        if (!existing) {
            return false; // never replace a file whose content could not be read
        }
        content = std::move(*existing);
    }
    std::string updated = content;
    for (const auto& [key, value] : keysAndValues) {
        updated = SetValue(updated, section, key, value);
    }
    if (updated == content) {
        return true;
    }
    const std::string temporary = path + ".$$$";
    // Every open, replace and remove waits out a brief hold: the host, a scanner or a sync client
    // may have the file or a temporary left behind open for a moment.
    os::File file = os::OpenFileWaitingOutHolds(temporary, os::OpenMode::CreateAlways, os::Share::None);
    if (!file.IsOpen()) {
        return false;
    }
    const bool written = file.Write(updated) && file.FlushToDisk() && file.Close();
    if (!written || !os::WaitOutBriefHolds([&] { return os::ReplaceFileAtomically(temporary, path); })) {
        file.Close();
        os::WaitOutBriefHolds([&] { return os::RemoveFile(temporary); });
        return false;
    }
    return true;
}

} // namespace quellix::ini
