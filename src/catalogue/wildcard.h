#pragma once

#include <string_view>

namespace tramlet {

// Matches a file name against a search pattern the way the recorder's own
// platform does: '*' is any run of characters (including none), every other
// character matches itself with ASCII letters compared without regard to case.
bool MatchesWildcard(std::string_view pattern, std::string_view name);

}  // namespace tramlet
