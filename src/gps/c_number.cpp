#include "gps/c_number.h"

#include <locale.h>
#include <stdlib.h>

#include <charconv>
#include <cstdint>
#include <string>

namespace tramlet {
namespace {

locale_t CLocale() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t{});
    return c;
}

// strtod_l covers what from_chars does not: a leading '+', white space, hex
// floats, and overflow to HUGE_VAL.
double ParseWithStrtod(std::string_view token) {
    const std::string copy(token);
    return strtod_l(copy.c_str(), nullptr, CLocale());
}

}  // namespace

// Plain decimals of up to 15 significant digits, the shape of every GPS value,
// are exact as integer / power of ten: both operands are exact doubles, so the
// one division rounds correctly, as a full parser would.
size_t ReadPlainDecimal(std::string_view text, double& value) {
    static constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    const bool negative = !text.empty() && text[0] == '-';
    size_t pos = negative ? 1 : 0;
    std::uint64_t mantissa = 0;  // wraps harmlessly past 19 digits, which are refused
    const size_t integerStart = pos;
    for (; pos < text.size() && isDigit(text[pos]); ++pos)
        mantissa = mantissa * 10 + static_cast<unsigned>(text[pos] - '0');
    size_t digits = pos - integerStart;
    size_t fraction = 0;
    if (pos < text.size() && text[pos] == '.') {
        const size_t fractionStart = ++pos;
        for (; pos < text.size() && isDigit(text[pos]); ++pos)
            mantissa = mantissa * 10 + static_cast<unsigned>(text[pos] - '0');
        fraction = pos - fractionStart;
        digits += fraction;
    }
    if (digits == 0 || digits > 15)
        return 0;
    value = static_cast<double>(mantissa);
    if (fraction > 0)
        value /= kPowers[fraction];
    if (negative)
        value = -value;
    return pos;
}

double ParseCNumber(std::string_view token) {
    if (token.empty())
        return 0;
    // Exponents, hex and trailing text take the full parser.
    if (double value = 0; ReadPlainDecimal(token, value) == token.size())
        return value;
    const bool plainStart =
        token[0] == '-' || token[0] == '.' || (token[0] >= '0' && token[0] <= '9');
    const bool hexLike =
        token.size() > 1 && (token[1] == 'x' || token[1] == 'X' ||
                             (token.size() > 2 && (token[2] == 'x' || token[2] == 'X')));
    if (plainStart && !hexLike) {
        double value = 0;
        const auto [end, ec] = std::from_chars(token.data(), token.data() + token.size(), value);
        if (ec == std::errc())
            return value;
        if (ec == std::errc::invalid_argument)
            return 0;
    }
    return ParseWithStrtod(token);
}

}  // namespace tramlet
