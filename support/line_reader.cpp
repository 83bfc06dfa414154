#include "support/line_reader.h"

#include "support/errors.h"

namespace quellix {

bool LineReader::Fill() {
    if (position_ < size_) {
        return true;
    }
    if (end_) {
        return false;
    }
    const long long got = file_.Read(buffer_.data(), buffer_.size());
    if (got < 0) {
        ThrowLastIoError("ファイルの読み込みが途中で失敗しました");
    }
    position_ = 0;
    size_ = static_cast<std::size_t>(got);
    end_ = got == 0;
    return size_ > 0;
}

bool LineReader::Eof() {
    return !Fill();
}

std::string LineReader::ReadLine() {
    std::string line;
    while (Fill()) {
        const char* begin = buffer_.data() + position_;
        const char* end = buffer_.data() + size_;
        const char* stop = begin;
        while (stop != end && *stop != '\n') {
            ++stop;
        }
        for (const char* p = begin; p != stop; ++p) {
            if (*p != '\r') { // a CR before LF ends the line, a lone CR is dropped
                line += *p;
            }
        }
        position_ += static_cast<std::size_t>(stop - begin);
        if (stop != end) {
            ++position_; // the LF
            return line;
        }
    }
    return line;
}

} // namespace quellix
