#pragma once

#include <string>

namespace tramlet {

// A value as the map page reads it: fixed point, six decimals, '.' as the
// decimal point whatever the user's locale ("%lf" in the C locale).
std::string CoordinateText(double value);

}  // namespace tramlet
