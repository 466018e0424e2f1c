#pragma once

#include <string_view>
#include <vector>

#include "common/data_root_path.h"
#include "platform/mounted_volume.h"

namespace tramlet {

// The recorder's card is known by its volume label.
bool IsCardLabel(std::string_view label);

// The first volume carrying the card's label, in the order given; without one,
// the working folder.
DataRootPath FindDataRoot(const std::vector<MountedVolume>& volumes,
                          std::string_view workingFolder);

}  // namespace tramlet
