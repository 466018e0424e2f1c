#pragma once

#include <string_view>

namespace tramlet {

// The number at the start of the card's ".version" file, or 0 when the file
// is missing or does not begin with a number.
int ReadCardVersion(std::string_view dataRoot);

}  // namespace tramlet
