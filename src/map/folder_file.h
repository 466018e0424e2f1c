#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace tramlet {

// The regular file that `relative` (a decoded address path, '/'-separated)
// names inside `folder`; nothing when the name leaves the folder, whether by
// "..", by an absolute name or through a symlink, or names no regular file.
std::optional<std::filesystem::path> FileInFolder(const std::filesystem::path& folder,
                                                  std::string_view relative);

}  // namespace tramlet
