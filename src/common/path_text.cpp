#include "common/path_text.h"

namespace tramlet {

std::string WithSlash(std::string_view folder) {
    std::string text(folder);
    if (text.empty() || text.back() != '/')
        text += '/';
    return text;
}

std::string FolderOf(std::string_view path) {
    const size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

std::string NameOf(std::string_view path) {
    const size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

}  // namespace tramlet
