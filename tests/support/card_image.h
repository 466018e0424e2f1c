#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace tramlet::test {

// A memory card as users have them: a FAT32 or exFAT image on a loop device
// of its own, mounted through the FUSE drivers (exfat-fuse, fusefat). Only
// its own loop device is ever detached.
class CardImage {
  public:
    enum class Format { kExFat, kFat32 };

    // Why card images cannot be made here (not root, no loop devices, a tool
    // missing), or empty when they can.
    static std::string Unavailable();

    // mountOptions: extra options of the exFAT driver (ro, umask=...).
    explicit CardImage(Format format, std::string label = "QM_CAM07", int megabytes = 64,
                       std::vector<std::string> mountOptions = {});
    ~CardImage();
    CardImage(const CardImage&) = delete;
    CardImage& operator=(const CardImage&) = delete;

    // Empty when the card is mounted and ready.
    const std::string& Error() const { return error_; }
    // The mount point as a data root, with a trailing '/'.
    std::string Root() const { return mountPath_.string() + "/"; }
    const std::filesystem::path& MountPath() const { return mountPath_; }

    // The card pulled: a lazy unmount, as a desktop does when the device
    // goes; what is open stays readable until closed.
    bool PullLazily();
    // The device gone under a mounted card: the driver dies, and every call
    // on the mount fails.
    bool KillDriver();
    // Unmounts what is left, then mounts the card again.
    bool Remount();

  private:
    bool Mount();
    void Unmount();

    Format format_;
    std::string label_;
    std::vector<std::string> mountOptions_;
    TempDir dir_;
    std::filesystem::path mountPath_;
    std::string device_;  // our loop device, empty until attached
    std::string error_;
};

}  // namespace tramlet::test
