#include "core/errors.h"

namespace kurv {

namespace {

// The length of the UTF-8 sequence at the start of `s`, or 0 when it is not one.
std::size_t SequenceLength(std::string_view s) {
    const auto c = static_cast<unsigned char>(s[0]);
    std::size_t len = 0;
    if (c < 0x80) return 1;
    if (c >= 0xC2 && c <= 0xDF)
        len = 2;
    else if (c >= 0xE0 && c <= 0xEF)
        len = 3;
    else if (c >= 0xF0 && c <= 0xF4)
        len = 4;
    if (len == 0 || s.size() < len) return 0;
    for (std::size_t k = 1; k < len; ++k)
        if ((static_cast<unsigned char>(s[k]) & 0xC0) != 0x80) return 0;
    const auto d = static_cast<unsigned char>(s[1]);
    // Overlong forms, surrogates and values past U+10FFFF.
    if ((c == 0xE0 && d < 0xA0) || (c == 0xED && d >= 0xA0) || (c == 0xF0 && d < 0x90) ||
        (c == 0xF4 && d >= 0x90))
        return 0;
    return len;
}

}  // namespace

std::string QuotedForMessage(std::string_view text) {
    std::string out;
    std::size_t chars = 0;
    while (!text.empty()) {
        if (chars == kQuotedCharsMax) {
            out += "\u2026";
            break;
        }
        const std::size_t len = SequenceLength(text);
        const auto c = static_cast<unsigned char>(text[0]);
        if (len == 0) {
            out += "\uFFFD";
        } else if (c < 0x20) {
            out += "\xE2\x90";  // U+2400 + c
            out += static_cast<char>(0x80 + c);
        } else if (c == 0x7F) {
            out += "\u2421";
        } else {
            out.append(text.substr(0, len));
        }
        text.remove_prefix(len == 0 ? 1 : len);
        ++chars;
    }
    return out;
}

ConvertError::ConvertError(std::string_view text)
    : KurvError("'" + QuotedForMessage(text) + "' is not a valid floating point value") {}

ArithmeticError::ArithmeticError() : KurvError("Floating point overflow.") {}

}  // namespace kurv
