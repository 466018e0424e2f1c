#include "library/card_identity.h"

#include <blkid/blkid.h>

#include <cstdlib>
#include <filesystem>

#include "platform/mount_table.h"

namespace tramlet::library {
namespace {

std::string Canonical(const std::string& path) {
    std::error_code error;
    const std::filesystem::path canonical = std::filesystem::canonical(path, error);
    return error ? path : canonical.string();
}

bool IsWithin(const std::string& path, const std::string& mountPath) {
    return mountPath == "/" || path == mountPath || path.starts_with(mountPath + "/");
}

// The mount that holds the path: the deepest, and of those the one mounted last.
const MountedVolume* VolumeHolding(const std::string& path,
                                   const std::vector<MountedVolume>& volumes) {
    const MountedVolume* holder = nullptr;
    for (const MountedVolume& volume : volumes) {
        if (IsWithin(path, volume.mountPath) &&
            (!holder || volume.mountPath.size() >= holder->mountPath.size()))
            holder = &volume;
    }
    return holder;
}

std::string ProbeUuid(const std::string& device) {
    char* value = blkid_get_tag_value(nullptr, "UUID", device.c_str());
    const std::string uuid = value ? value : "";
    std::free(value);
    return uuid;
}

}  // namespace

CardIdentity IdentifyCard(const DataRootPath& dataRoot, const std::vector<MountedVolume>& volumes,
                          const std::map<std::string, std::string>& uuids) {
    const std::string path = Canonical(dataRoot.Text());
    const MountedVolume* volume = VolumeHolding(path, volumes);
    if (!volume)
        return {"path:" + path, ""};
    const std::string device = Canonical(volume->device);
    const auto known = uuids.find(device);
    const std::string uuid = known != uuids.end() ? known->second : ProbeUuid(device);
    if (uuid.empty())
        return {"path:" + path, ""};
    const bool wholeVolume = path == volume->mountPath;
    if (wholeVolume)
        return {"uuid:" + uuid, volume->label};
    const std::string within =
        volume->mountPath == "/" ? path : path.substr(volume->mountPath.size());
    return {"uuid:" + uuid + ":" + within, ""};
}

CardIdentity IdentifyCard(const DataRootPath& dataRoot) {
    return IdentifyCard(dataRoot, ReadMountedVolumes(), ReadVolumeLabels("/dev/disk/by-uuid"));
}

}  // namespace tramlet::library
