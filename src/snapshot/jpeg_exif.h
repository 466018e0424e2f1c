#pragma once

#include <optional>
#include <string>

#include "snapshot/snapshot_facts.h"

namespace tramlet {

// The JPEG stream with EXIF data added: the date-time original, the GPS
// position and the description of the facts that are known. Nothing when the
// stream cannot be read as JPEG.
std::optional<std::string> AddSnapshotExif(const std::string& jpeg, const SnapshotFacts& facts);

}  // namespace tramlet
