#include "map/c_number.h"

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

// Plain decimals of up to 15 significant digits, the shape of every GPS value,
// are exact as integer / power of ten: both operands are exact doubles, so the
// one division rounds correctly, as a full parser would.
bool ParseShortDecimal(std::string_view token, double& value) {
    static constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    size_t pos = token.size() > 0 && token[0] == '-' ? 1 : 0;
    std::uint64_t mantissa = 0;
    int digits = 0;
    int fraction = -1;  // digits after the point, -1 before it
    for (; pos < token.size(); ++pos) {
        const char c = token[pos];
        if (c >= '0' && c <= '9') {
            mantissa = mantissa * 10 + static_cast<unsigned>(c - '0');
            if (++digits > 15)
                return false;
            if (fraction >= 0)
                ++fraction;
        } else if (c == '.' && fraction < 0) {
            fraction = 0;
        } else {
            return false;  // exponents, hex and trailing text take the full parser
        }
    }
    if (digits == 0)
        return false;
    value = static_cast<double>(mantissa) / kPowers[fraction < 0 ? 0 : fraction];
    if (token[0] == '-')
        value = -value;
    return true;
}

}  // namespace

double ParseCNumber(std::string_view token) {
    if (token.empty())
        return 0;
    if (double value = 0; ParseShortDecimal(token, value))
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
