#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/mounted_volume.h"

namespace tramlet {

// The recorder's card is known by its volume label.
bool IsCardLabel(std::string_view label);

// A folder as a data root: with exactly one '/' at its end.
std::string AsDataRoot(std::string_view folder);

// The first volume carrying the card's label, in the order given; without one,
// the working folder. Always ends in '/'.
std::string FindDataRoot(const std::vector<MountedVolume>& volumes, std::string_view workingFolder);

}  // namespace tramlet
