#pragma once

#include <string_view>

namespace tramlet {

// Matches a file name against a search pattern the way the recorder's own
// platform does: '*' is any run of characters (including none), every other
// character matches itself with ASCII letters compared without regard to case.
bool MatchesWildcard(std::string_view pattern, std::string_view name);

// Names that differ only in ASCII letter case: one name on the card's FAT and
// exFAT file systems.
bool SameNameIgnoringCase(std::string_view a, std::string_view b);

}  // namespace tramlet
