#pragma once

#include <vector>

#include "platform/volume_source.h"

namespace tramlet::test {

// A machine with no card in it: the window then uses the folder it is given.
class NoVolumes : public VolumeSource {
  public:
    std::vector<MountedVolume> Volumes() const override { return {}; }
};

}  // namespace tramlet::test
