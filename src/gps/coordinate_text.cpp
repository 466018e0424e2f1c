#include "gps/coordinate_text.h"

#include <charconv>

namespace tramlet {

std::string CoordinateText(double value) {
    char text[400];  // the largest double has 309 integer digits
    const auto [end, ec] =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 6);
    return ec == std::errc() ? std::string(text, end) : std::string("0.000000");
}

}  // namespace tramlet
