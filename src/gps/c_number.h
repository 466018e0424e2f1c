#pragma once

#include <cstddef>
#include <string_view>

namespace tramlet {

// The longest leading decimal number of a token, 0 when there is none
// (atof's rules), read with the C locale whatever the user's locale is.
double ParseCNumber(std::string_view token);

// The plain decimal ([-]digits[.digits], at most 15 digits) at the start of
// `text`, read as ParseCNumber reads it; returns the characters it took, 0
// when the text does not start with one. Lets a reader that splits a line
// find a number's end and its value in one pass.
size_t ReadPlainDecimal(std::string_view text, double& value);

}  // namespace tramlet
