#include "common/json_text.h"

#include <cstdio>

namespace tramlet {
namespace {

// The length of the UTF-8 sequence that starts at `at`, 0 when the bytes
// there are no valid sequence (overlong, surrogate, beyond U+10FFFF, cut).
size_t Utf8Length(std::string_view text, size_t at) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char c = byte(at);
    const size_t length = c >= 0xF0 && c <= 0xF4  ? 4
                          : c >= 0xE0             ? 3
                          : c >= 0xC2 && c < 0xE0 ? 2
                                                  : 0;
    if (length == 0 || at + length > text.size())
        return 0;
    for (size_t k = 1; k < length; ++k) {
        if ((byte(at + k) & 0xC0) != 0x80)
            return 0;
    }
    const unsigned char next = byte(at + 1);
    if (length == 3 && ((c == 0xE0 && next < 0xA0) || (c == 0xED && next >= 0xA0)))
        return 0;
    if (length == 4 && ((c == 0xF0 && next < 0x90) || (c == 0xF4 && next >= 0x90)))
        return 0;
    return length;
}

void AppendEscaped(std::string& out, unsigned char c) {
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
    out += escaped;
}

}  // namespace

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
            ++i;
        } else if (c < 0x20 || c == 0x7F) {
            AppendEscaped(out, c);
            ++i;
        } else if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
        } else if (const size_t length = Utf8Length(text, i); length > 0) {
            out.append(text.substr(i, length));
            i += length;
        } else {
            AppendEscaped(out, c);
            ++i;
        }
    }
    return out + "\"";
}

}  // namespace tramlet
