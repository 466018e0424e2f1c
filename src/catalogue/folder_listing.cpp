#include "catalogue/folder_listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <memory>

#include "catalogue/wildcard.h"

namespace tramlet {
namespace {

// Only regular files are clips or logs. A FIFO named like a clip would block
// whoever opens it, a symlink would send the repair or the backup elsewhere,
// and devices and folders are not ours to read.
bool IsRegularFile(DIR* dir, const dirent& entry) {
    if (entry.d_type != DT_UNKNOWN)
        return entry.d_type == DT_REG;
    // Some file systems (FUSE drivers among them) leave the type to a stat.
    struct stat st;
    return fstatat(dirfd(dir), entry.d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

FolderListing FolderListing::Read(const std::string& folder) {
    FolderListing listing;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
    if (!dir)
        return listing;
    while (const dirent* entry = readdir(dir.get())) {
        if (IsRegularFile(dir.get(), *entry))
            listing.names_.emplace_back(entry->d_name);
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
