#include "app/card_version.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <string>

namespace tramlet {

int ReadCardVersion(const DataRootPath& dataRoot) {
    std::ifstream file(dataRoot.Below(".version"));
    std::string head(64, '\0');
    file.read(head.data(), static_cast<std::streamsize>(head.size() - 1));
    head.resize(static_cast<size_t>(file.gcount()));
    // strtol rather than a formatted read: a huge number must not overflow.
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(head.c_str(), &end, 10);
    if (end == head.c_str() || errno == ERANGE || value > INT_MAX || value < INT_MIN)
        return 0;
    return static_cast<int>(value);
}

}  // namespace tramlet
