#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/data_root_path.h"
#include "platform/mounted_volume.h"

namespace tramlet {

// Where the recordings come from, and the volume that holds them: only the
// removal of that volume takes them away, and only a recorder's card that
// arrives replaces the working folder. A folder the user chose stays.
class DataRootWatch {
  public:
    enum class Origin { kNone, kWorkingFolder, kCard, kChosen };

    struct Change {
        bool rootLeft = false;     // the volume that held the data root is gone
        bool cardArrived = false;  // a card arrived and is the data root now
    };

    // The first card in the volumes' order, without one the working folder.
    void Start(const std::vector<MountedVolume>& volumes, const std::string& workingFolder);
    void Choose(const std::string& folder);
    // Takes the volumes mounted now; says what that means for the data root.
    Change Update(const std::vector<MountedVolume>& volumes);

    // No root, a default DataRootPath, while there is none.
    const DataRootPath& Root() const { return root_; }
    Origin RootOrigin() const { return origin_; }

  private:
    void Set(DataRootPath root, Origin origin);

    std::vector<MountedVolume> volumes_;
    DataRootPath root_;
    Origin origin_ = Origin::kNone;
    std::optional<MountedVolume> holder_;  // the volume that holds the root
};

}  // namespace tramlet
