#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tramlet {

// Files of this size or more cannot be described by AVI 1.0's 32-bit offsets.
inline constexpr std::uint64_t kFourGiB = std::uint64_t{1} << 32;

// The folder with one '/' at its end, ready to have a name appended; "" gives "/".
std::string WithSlash(std::string_view folder);

// The folder part of a '/'-separated path, ending in '/'; "" for a bare name.
std::string FolderOf(std::string_view path);

// The last name of a '/'-separated path; the path itself when it has no '/'.
std::string NameOf(std::string_view path);

}  // namespace tramlet
