#include "map/folder_file.h"

#include <algorithm>

namespace tramlet {
namespace {

bool HasParentStep(std::string_view relative) {
    size_t start = 0;
    while (start <= relative.size()) {
        const size_t end = std::min(relative.find('/', start), relative.size());
        if (relative.substr(start, end - start) == "..")
            return true;
        start = end + 1;
    }
    return false;
}

bool IsInside(const std::filesystem::path& file, const std::filesystem::path& folder) {
    const auto [folderEnd, fileAt] =
        std::mismatch(folder.begin(), folder.end(), file.begin(), file.end());
    return folderEnd == folder.end() && fileAt != file.end();
}

}  // namespace

std::optional<std::filesystem::path> FileInFolder(const std::filesystem::path& folder,
                                                  std::string_view relative) {
    while (!relative.empty() && relative.front() == '/')
        relative.remove_prefix(1);
    if (relative.empty() || relative.find('\0') != std::string_view::npos ||
        HasParentStep(relative)) {
        return std::nullopt;
    }
    std::error_code error;
    const std::filesystem::path home = std::filesystem::canonical(folder, error);
    if (error)
        return std::nullopt;
    // Symlinks are followed here, so one that points out of the folder is caught below.
    const std::filesystem::path file = std::filesystem::canonical(home / relative, error);
    if (error || !IsInside(file, home) || !std::filesystem::is_regular_file(file, error))
        return std::nullopt;
    return file;
}

}  // namespace tramlet
