#include "library/library_layout.h"

#include "common/path_text.h"

namespace tramlet::library {
namespace {

constexpr size_t kConflictHashLength = 12;
constexpr size_t kLongestName = 255;  // bytes in one name on Linux file systems

}  // namespace

std::string LibraryFolder(std::string_view library) {
    std::string folder(library);
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return WithSlash(folder);
}

std::string DatabasePath(std::string_view library) {
    return LibraryFolder(library) + "library.db";
}

std::string VehicleRoot(std::string_view library, std::string_view vehicle) {
    return LibraryFolder(library) + std::string(vehicle) + "/";
}

std::string ConflictPath(std::string_view relativePath, std::string_view sha256) {
    return "conflicts/" + std::string(sha256.substr(0, kConflictHashLength)) + "/" +
           std::string(relativePath);
}

std::optional<std::string> VehicleNameProblem(std::string_view name) {
    if (name.empty())
        return "the vehicle name is empty";
    if (name.front() == '.')
        return "a vehicle name must not begin with '.'";
    if (name.find('/') != std::string_view::npos || name.find('\0') != std::string_view::npos)
        return "a vehicle name must not hold '/'";
    if (name.starts_with("library.db"))
        return "the index's own files are named library.db";
    if (name.size() > kLongestName)
        return "the vehicle name is longer than 255 bytes";
    return std::nullopt;
}

}  // namespace tramlet::library
