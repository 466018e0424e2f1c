#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tramlet {

// A folder as the file system knows it (device and inode). A card that is
// pulled or swapped gives the same path another identity, or none.
struct FolderId {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    friend bool operator==(const FolderId&, const FolderId&) = default;
};

// The folder's identity now; nothing when it cannot be reached or is no folder.
std::optional<FolderId> IdentifyFolder(const std::string& folder);

}  // namespace tramlet
