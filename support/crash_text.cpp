#include "support/crash_text.h"

#include "support/text.h"

#include <cstdio>

namespace quellix {

namespace {

constexpr std::string_view kPrefix = "異常終了します: ";
// An exception's message is the program's own or a library's; more than this is a flood.
constexpr std::size_t kMaxMessageBytes = 300;

std::string Hex(std::uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
    return text;
}

std::string_view CodeName(std::uint32_t code) {
    switch (code) {
    case 0xC0000005:
        return "アクセス違反";
    case 0xC0000006:
        return "ページの読み込みエラー";
    case 0xC000001D:
        return "不正な命令";
    case 0xC0000096:
        return "特権命令";
    case 0xC0000094:
        return "整数のゼロ除算";
    case 0xC0000095:
        return "整数のオーバーフロー";
    case 0xC000008E:
        return "浮動小数点のゼロ除算";
    case 0xC00000FD:
        return "スタックオーバーフロー";
    case 0xC0000409:
        return "スタック上のバッファーの上書き";
    case 0xC0000374:
        return "ヒープの破損";
    case 0x80000003:
        return "ブレークポイント";
    case 0xE06D7363:
        return "処理されない C++ の例外";
    default:
        return "不明な例外";
    }
}

std::string_view AccessName(std::uint32_t kind) {
    switch (kind) {
    case 0:
        return "読み取り";
    case 1:
        return "書き込み";
    case 8:
        return "実行";
    default:
        return "アクセス";
    }
}

} // namespace

std::string CrashText(const CrashSite& site) {
    std::string text{kPrefix};
    text += "例外 " + Hex(site.Code) + " (";
    text += CodeName(site.Code);
    if (site.AccessKind) {
        text += ": アドレス " + Hex(site.AccessAddress) + " の";
        text += AccessName(*site.AccessKind);
    }
    text += ") 発生場所 ";
    if (site.Module.empty()) {
        text += Hex(site.Address) + " (どのモジュールの中でもありません)";
    } else {
        text += site.Module + "+" + Hex(site.Address - site.ModuleBase);
    }
    return text;
}

std::string TerminateText(bool hadException, std::optional<std::string_view> message) {
    std::string text{kPrefix};
    if (!hadException) {
        return text + "続けられない誤りです (純粋仮想関数の呼び出しなど)";
    }
    if (!message) {
        return text + "処理されない例外です";
    }
    std::string said;
    for (const char c : SjisHead(*message, kMaxMessageBytes)) {
        said += static_cast<unsigned char>(c) < 0x20 ? ' ' : c; // the line stays one line
    }
    return text + "処理されない例外です: \"" + said + "\"";
}

std::string AbortText() {
    return std::string{kPrefix} + "abort が呼ばれました";
}

} // namespace quellix
