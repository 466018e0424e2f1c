#include "platform/folder_id.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tramlet {

std::optional<FolderId> IdentifyFolder(const std::string& folder) {
    // Opened, not just looked up: a FUSE mount whose driver has died still
    // answers stat from its caches for a while, but cannot open anything.
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat st;
    const bool known = ::fstat(fd, &st) == 0;
    ::close(fd);
    if (!known)
        return std::nullopt;
    return FolderId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

}  // namespace tramlet
