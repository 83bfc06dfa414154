#include "app/csv_line.h"

#include "support/text.h"

namespace quellix {

namespace {

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

enum class FieldKind {
    Plain,      // up to the next comma
    Quoted,     // between its opening quote and the `",` that closes it; doubled quotes stand for one
    QuotedLast, // a quoted last field holding a comma: runs to the line's end, closing quote included
    Last,       // what is left after the last comma
};

struct FieldSpan {
    std::size_t start;     // where the field begins in the line
    std::size_t textBegin; // its text, without the opening quote
    std::size_t textEnd;
    FieldKind kind;
};

// Walks the line field by field, left to right. Neither a comma nor a double quote can be the
// second byte of a Shift_JIS character, so byte searches are safe here. Each search starts where
// the last one ended, so a line is read in one pass.
template <typename Visit> void WalkCsvLine(std::string_view line, Visit&& visit) {
    constexpr std::string_view kQuoteComma = "\",";
    constexpr std::string_view kDoubledQuoteQuoteComma = R"(""",)";
    std::size_t pos = 0;
    while (line.find(',', pos) != std::string_view::npos) {
        const std::size_t start = pos;
        if (line[pos] != '"') {
            const std::size_t comma = line.find(',', pos);
            visit(FieldSpan{start, pos, comma, FieldKind::Plain});
            pos = comma + 1;
            continue;
        }
        const std::size_t begin = pos + 1;
        std::size_t at = begin;
        bool closed = false;
        while (at < line.size()) {
            const std::size_t quoteComma = line.find(kQuoteComma, at);
            if (quoteComma == std::string_view::npos) {
                // No closing `",` follows at all: the field runs to the end of the line.
                visit(FieldSpan{start, begin, line.size(), FieldKind::QuotedLast});
                return;
            }
            if (quoteComma == at || line[quoteComma - 1] != '"') {
                // `",` that is not the end of a doubled quote: the field ends here.
                visit(FieldSpan{start, begin, quoteComma, FieldKind::Quoted});
                pos = quoteComma + 2;
                closed = true;
                break;
            }
            if (const std::size_t tripled = line.find(kDoubledQuoteQuoteComma, at); tripled != std::string_view::npos) {
                // `""",`: a doubled quote, then the closing quote.
                visit(FieldSpan{start, begin, tripled + 2, FieldKind::Quoted});
                pos = tripled + 4;
                closed = true;
                break;
            }
            // `"",` inside the field: a doubled quote followed by a comma that belongs to the text.
            at = quoteComma + 2;
        }
        if (!closed) {
            // The text ran out right after a doubled quote and its comma: the field is complete.
            visit(FieldSpan{start, begin, line.size(), FieldKind::Quoted});
            pos = line.size();
        }
    }
    visit(FieldSpan{pos, pos, line.size(), FieldKind::Last});
}

} // namespace

void SplitCsvLine(std::string_view line, std::vector<std::string>& fields) {
    fields.clear();
    WalkCsvLine(line, [&](const FieldSpan& span) {
        std::string_view text = line.substr(span.textBegin, span.textEnd - span.textBegin);
        switch (span.kind) {
        case FieldKind::Plain:
            fields.push_back(Trim(text));
            break;
        case FieldKind::Quoted:
            fields.push_back(Trim(UndoubleQuotes(text)));
            break;
        case FieldKind::QuotedLast: {
            // It ends at the line's end, where its closing quote is, and no empty field follows it.
            std::string field = TrimRight(text);
            if (!field.empty() && field.back() == '"') {
                field.pop_back();
            }
            fields.push_back(Trim(UndoubleQuotes(field)));
            break;
        }
        case FieldKind::Last:
            // Loses one leading and one trailing quote; its doubled quotes stay as they are.
            if (!text.empty() && text.front() == '"') {
                text.remove_prefix(1);
            }
            if (!text.empty() && text.back() == '"') {
                text.remove_suffix(1);
            }
            fields.push_back(Trim(text));
            break;
        }
    });
}

std::vector<std::size_t> CsvFieldStarts(std::string_view line) {
    std::vector<std::size_t> starts;
    WalkCsvLine(line, [&](const FieldSpan& span) { starts.push_back(span.start); });
    return starts;
}

} // namespace quellix
