#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/mounted_volume.h"

namespace tramlet {

// The mounts of block devices in a /proc/<pid>/mountinfo text, in mount-path
// order, without labels. Pseudo and memory file systems are left out: they
// come and go with containers and services, not with cards. So are the
// read-only images that snaps and ISO files are loop-mounted from.
std::vector<MountedVolume> ParseMountInfo(std::string_view mountInfo);

// Device path -> label, from a folder of label-named links such as
// /dev/disk/by-label.
std::map<std::string, std::string> ReadVolumeLabels(const std::string& byLabelFolder);

// The label of the file system on a device, read from its superblock
// (libblkid); empty when it has none or the device cannot be read.
std::string ProbeVolumeLabel(const std::string& device);

// The mounted volumes of this process with their labels: from
// /dev/disk/by-label where udev keeps it, otherwise from the devices.
std::vector<MountedVolume> ReadMountedVolumes();

struct VolumeChange {
    bool arrived = false;  // a mount that was not there before
    bool removed = false;  // a mount that is gone
};

VolumeChange CompareVolumes(const std::vector<MountedVolume>& before,
                            const std::vector<MountedVolume>& after);

}  // namespace tramlet
