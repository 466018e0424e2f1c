#pragma once

#include <string>

namespace tramlet {

// A mounted file system of a block device, the way a removable card shows up.
struct MountedVolume {
    std::string mountPath;
    std::string device;
    std::string label;  // empty when the volume has none
    // The kernel's mount id: a card swapped for another at the same path
    // gets a new one.
    int mountId = 0;
    friend bool operator==(const MountedVolume&, const MountedVolume&) = default;
};

}  // namespace tramlet
