#pragma once

#include <map>
#include <string>
#include <vector>

#include "common/data_root_path.h"
#include "platform/mounted_volume.h"

namespace tramlet::library {

// Who a card is, so that the library can remember which vehicle it belongs
// to. A card is known by its file system's UUID (for FAT and exFAT the
// volume serial number), read through libblkid. A data root that is a
// folder on a larger disk rather than a whole volume is known by that UUID
// and its path within the volume; where no UUID can be had, by its path.
struct CardIdentity {
    std::string id;
    // The volume label, where the data root is the whole volume; else empty.
    std::string label;
};

// `volumes`: the mounted volumes (mount_table.h); `uuids`: device ->
// file system UUID where known (/dev/disk/by-uuid). A device missing from
// `uuids` is asked itself.
CardIdentity IdentifyCard(const DataRootPath& dataRoot, const std::vector<MountedVolume>& volumes,
                          const std::map<std::string, std::string>& uuids);

// The same for the volumes mounted now.
CardIdentity IdentifyCard(const DataRootPath& dataRoot);

}  // namespace tramlet::library
