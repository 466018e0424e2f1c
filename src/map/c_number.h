#pragma once

#include <string_view>

namespace tramlet {

// The longest leading decimal number of a token, 0 when there is none
// (atof's rules), read with the C locale whatever the user's locale is.
double ParseCNumber(std::string_view token);

}  // namespace tramlet
