#include "app/csv_line.h"

#include "support/text.h"

namespace quellix {

namespace {

// 1-based position of `what` in `text`, 0 when it does not occur. Neither a comma nor a double
// quote can be the second byte of a Shift_JIS character, so a plain byte search is safe here.
std::size_t Pos(std::string_view what, std::string_view text) {
    const std::size_t at = text.find(what);
    return at == std::string_view::npos ? 0 : at + 1;
}

std::string UndoubleQuotes(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        out += text[i];
        if (text[i] == '"' && i + 1 < text.size() && text[i + 1] == '"') {
            ++i;
        }
    }
    return out;
}

// Reads the quoted field at the start of `rest` (its opening quote already removed) up to and
// including the `",` that closes it. Returns false when no closing `",` follows at all: the field
// then runs to the end of the line and `rest` is left empty.
bool ReadQuotedField(std::string& rest, std::string& field) {
    constexpr std::string_view kQ1 = "\",";
    constexpr std::string_view kQ2 = "\"\",";
    constexpr std::string_view kQ3 = "\"\"\",";
    std::size_t p3 = Pos(kQ3, rest);
    std::size_t p2 = Pos(kQ2, rest);
    std::size_t p1 = Pos(kQ1, rest);
    while (!rest.empty()) {
        if (p1 > 0 && (p2 == 0 || p2 > p1)) {
            // `",` that is not the end of a doubled quote: the field ends here.
            field.append(rest, 0, p1 - 1);
            rest.erase(0, p1 + 1);
            return true;
        }
        if (p1 == 0) {
            field += rest;
            rest.clear();
            return false;
        }
        if (p3 > 0) {
            // `""",`: a doubled quote, then the closing quote.
            field.append(rest, 0, p3 + 1);
            rest.erase(0, p3 + 3);
            return true;
        }
        // `"",` inside the field: a doubled quote followed by a comma that belongs to the text.
        field.append(rest, 0, p2 + 2);
        rest.erase(0, p2 + 2);
        p3 = Pos(kQ3, rest);
        p2 = Pos(kQ2, rest);
        p1 = Pos(kQ1, rest);
    }
    return true;
}

} // namespace

void SplitCsvLine(std::string_view line, std::vector<std::string>& fields) {
    fields.clear();
    std::string rest{line};
    while (rest.find(',') != std::string::npos) {
        std::string field;
        if (rest.front() == '"') {
            rest.erase(0, 1);
            if (!ReadQuotedField(rest, field)) {
                // A quoted last field that contains a comma: it ends at the line's end, where its
                // closing quote is, and no empty field follows it.
                field = TrimRight(field);
                if (!field.empty() && field.back() == '"') {
                    field.pop_back();
                }
                fields.push_back(Trim(UndoubleQuotes(field)));
                return;
            }
            field = UndoubleQuotes(field);
        } else {
            const std::size_t comma = rest.find(',');
            field = rest.substr(0, comma);
            rest.erase(0, comma + 1);
        }
        fields.push_back(Trim(field));
    }
    std::string_view last{rest};
    if (!last.empty() && last.front() == '"') {
        last.remove_prefix(1);
    }
    if (!last.empty() && last.back() == '"') {
        last.remove_suffix(1);
    }
    fields.push_back(Trim(last));
}

} // namespace quellix
