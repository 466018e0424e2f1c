#include "session/data_root_watch.h"

#include <algorithm>
#include <utility>

#include "platform/data_root.h"

namespace tramlet {
namespace {

// A mount is the same while its path, device and mount id are: a card
// swapped for another at the same path comes back with a new id.
bool SameMount(const MountedVolume& a, const MountedVolume& b) {
    return a.mountPath == b.mountPath && a.device == b.device && a.mountId == b.mountId;
}

bool HasMount(const std::vector<MountedVolume>& volumes, const MountedVolume& mount) {
    return std::any_of(volumes.begin(), volumes.end(),
                       [&](const MountedVolume& v) { return SameMount(v, mount); });
}

// The mount whose path is the longest leading folder of `path`.
std::optional<MountedVolume> HoldingVolume(const std::string& path,
                                           const std::vector<MountedVolume>& volumes) {
    std::optional<MountedVolume> holder;
    std::size_t longest = 0;
    for (const MountedVolume& v : volumes) {
        const std::string mount = AsDataRoot(v.mountPath);
        if (path.compare(0, mount.size(), mount) == 0 && mount.size() >= longest) {
            longest = mount.size();
            holder = v;
        }
    }
    return holder;
}

}  // namespace

void DataRootWatch::Set(std::string root, Origin origin) {
    root_ = std::move(root);
    origin_ = origin;
    holder_ = origin == Origin::kNone ? std::nullopt : HoldingVolume(root_, volumes_);
}

void DataRootWatch::Start(const std::vector<MountedVolume>& volumes,
                          const std::string& workingFolder) {
    volumes_ = volumes;
    const std::string root = FindDataRoot(volumes, workingFolder);
    Set(root, root == AsDataRoot(workingFolder) ? Origin::kWorkingFolder : Origin::kCard);
}

void DataRootWatch::Choose(const std::string& folder) {
    Set(AsDataRoot(folder), Origin::kChosen);
}

DataRootWatch::Change DataRootWatch::Update(const std::vector<MountedVolume>& volumes) {
    const std::vector<MountedVolume> before = std::exchange(volumes_, volumes);
    Change change;
    if (holder_ && !HasMount(volumes_, *holder_)) {
        change.rootLeft = true;
        Set(".", Origin::kNone);
    }
    if (origin_ != Origin::kNone && origin_ != Origin::kWorkingFolder)
        return change;
    for (const MountedVolume& v : volumes_) {
        if (IsCardLabel(v.label) && !HasMount(before, v)) {
            change.cardArrived = true;
            Set(AsDataRoot(v.mountPath), Origin::kCard);
            break;
        }
    }
    return change;
}

}  // namespace tramlet
