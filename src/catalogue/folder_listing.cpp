#include "catalogue/folder_listing.h"

#include <dirent.h>

#include <memory>

#include "catalogue/wildcard.h"

namespace tramlet {

FolderListing FolderListing::Read(const std::string& folder) {
    FolderListing listing;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
    if (!dir)
        return listing;
    while (const dirent* entry = readdir(dir.get())) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        listing.names_.emplace_back(name);
    }
    return listing;
}

std::vector<std::string> FolderListing::Match(std::string_view namePattern) const {
    std::vector<std::string> found;
    for (const std::string& name : names_) {
        if (MatchesWildcard(namePattern, name))
            found.push_back(name);
    }
    return found;
}

std::string_view PatternName(std::string_view pathPattern) {
    const size_t slash = pathPattern.rfind('/');
    return slash == std::string_view::npos ? pathPattern : pathPattern.substr(slash + 1);
}

std::vector<std::string> FindFiles(std::string_view pathPattern) {
    const size_t slash = pathPattern.rfind('/');
    const std::string folder =
        slash == std::string_view::npos ? "." : std::string(pathPattern.substr(0, slash));
    return FolderListing::Read(folder.empty() ? "/" : folder).Match(PatternName(pathPattern));
}

}  // namespace tramlet
