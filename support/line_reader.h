// Reads a text file line by line: a line ends at LF or CR LF, the line end is not part of the
// line, and a CR not followed by LF is dropped.
#pragma once

#include "support/os.h"

#include <array>
#include <string>

namespace quellix {

class LineReader {
public:
    explicit LineReader(os::File& file) : file_{file} {}

    // True at the end of the file (nothing more to read). Raises IoError on a read error.
    [[nodiscard]] bool Eof();
    // The next line; raises IoError on a read error.
    std::string ReadLine();

private:
    bool Fill();

    os::File& file_;
    std::array<char, 65536> buffer_{};
    std::size_t position_ = 0;
    std::size_t size_ = 0;
    bool end_ = false;
};

// Splits bytes already in memory into lines by the same rules.
template <typename Visit> void ForEachLine(std::string_view bytes, Visit&& visit);

} // namespace quellix

template <typename Visit> void quellix::ForEachLine(std::string_view bytes, Visit&& visit) {
    std::string line;
    std::size_t i = 0;
    while (i < bytes.size()) {
        line.clear();
        while (i < bytes.size() && bytes[i] != '\n') {
            if (bytes[i] != '\r') {
                line += bytes[i];
            }
            ++i;
        }
        ++i; // the LF
        visit(std::string_view{line});
    }
}
