#include "catalogue/wildcard.h"

#include <algorithm>

namespace tramlet {
namespace {

char Fold(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameFolded(char a, char b) {
    return Fold(a) == Fold(b);
}

}  // namespace

// Greedy match with one backtrack point: linear in practice and never
// exponential, whatever the number of stars.
bool MatchesWildcard(std::string_view pattern, std::string_view name) {
    size_t p = 0;
    size_t n = 0;
    size_t starP = std::string_view::npos;
    size_t starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && SameFolded(pattern[p], name[n])) {
            ++p;
            ++n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), SameFolded);
}

}  // namespace tramlet
