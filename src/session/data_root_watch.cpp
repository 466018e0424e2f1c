#include "session/data_root_watch.h"

#include <algorithm>
#include <utility>

#include "common/path_text.h"
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
        const std::string mount = WithSlash(v.mountPath);
        if (path.compare(0, mount.size(), mount) == 0 && mount.size() >= longest) {
            longest = mount.size();
            holder = v;
        }
    }
    return holder;
}

}  // namespace

void DataRootWatch::Set(DataRootPath root, Origin origin) {
    root_ = std::move(root);
    origin_ = origin;
    holder_ = origin == Origin::kNone ? std::nullopt : HoldingVolume(root_.Text(), volumes_);
}

void DataRootWatch::Start(const std::vector<MountedVolume>& volumes,
                          const std::string& workingFolder) {
    volumes_ = volumes;
    const DataRootPath root = FindDataRoot(volumes, workingFolder);
    Set(root, root == DataRootPath(workingFolder) ? Origin::kWorkingFolder : Origin::kCard);
}

void DataRootWatch::Choose(const std::string& folder) {
    Set(DataRootPath(folder), Origin::kChosen);
}

DataRootWatch::Change DataRootWatch::Update(const std::vector<MountedVolume>& volumes) {
    const std::vector<MountedVolume> before = std::exchange(volumes_, volumes);
    Change change;
    if (holder_ && !HasMount(volumes_, *holder_)) {
        change.rootLeft = true;
        Set(DataRootPath(), Origin::kNone);
    }
    if (origin_ != Origin::kNone && origin_ != Origin::kWorkingFolder)
        return change;
    for (const MountedVolume& v : volumes_) {
        if (IsCardLabel(v.label) && !HasMount(before, v)) {
            change.cardArrived = true;
            Set(DataRootPath(v.mountPath), Origin::kCard);
            break;
        }
    }
    return change;
}

}  // namespace tramlet
