#include "map/c_number.h"

#include <locale.h>
#include <stdlib.h>

#include <charconv>
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

double ParseCNumber(std::string_view token) {
    if (token.empty()) return 0;
    const bool plainStart = token[0] == '-' || token[0] == '.' || (token[0] >= '0' && token[0] <= '9');
    const bool hexLike = token.size() > 1 && (token[1] == 'x' || token[1] == 'X' ||
                                             (token.size() > 2 && (token[2] == 'x' || token[2] == 'X')));
    if (plainStart && !hexLike) {
        double value = 0;
        const auto [end, ec] = std::from_chars(token.data(), token.data() + token.size(), value);
        if (ec == std::errc()) return value;
        if (ec == std::errc::invalid_argument) return 0;
    }
    return ParseWithStrtod(token);
}

}  // namespace tramlet
