#include "platform/mount_table.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace tramlet {
namespace {

constexpr const char* kMountInfo =
    "22 1 0:21 / /proc rw,nosuid shared:12 - proc proc rw\n"
    "30 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
    "90 30 8:33 / /media/u/QM\\040CARD rw,nosuid shared:80 - vfat /dev/sdc1 rw\n"
    "91 30 8:17 / /media/u/STICK rw - exfat /dev/sdb1 rw\n"
    "92 30 0:50 / /run/user tmpfs rw - tmpfs tmpfs rw\n"
    "93 30 7:0 / /media/u/FUSE rw - fuseblk /dev/loop0 rw\n"
    "94 30 7:1 / /snap/core/1 ro - squashfs /dev/loop1 ro\n"
    "95 30 7:2 / /media/u/DVD ro - iso9660 /dev/loop2 ro\n"
    "broken line\n";

TEST(MountTable, ListsBlockDeviceMountsInPathOrder) {
    const std::vector<MountedVolume> volumes = ParseMountInfo(kMountInfo);
    ASSERT_EQ(volumes.size(), 4u);
    EXPECT_EQ(volumes[0], (MountedVolume{"/", "/dev/sda1", "", 30}));
    EXPECT_EQ(volumes[1], (MountedVolume{"/media/u/FUSE", "/dev/loop0", "", 93}));
    EXPECT_EQ(volumes[2], (MountedVolume{"/media/u/QM CARD", "/dev/sdc1", "", 90}));
    EXPECT_EQ(volumes[3], (MountedVolume{"/media/u/STICK", "/dev/sdb1", "", 91}));
}

TEST(MountTable, FieldsAreSplitOnSpacesAlone) {
    // The kernel escapes only space, tab, newline and backslash: other
    // white space in a label is part of the mount point, and cannot make up
    // a file-system type and device of its own.
    const std::vector<MountedVolume> volumes = ParseMountInfo(
        "96 30 8:49 / /media/u/QM\vCARD\r\f rw - vfat /dev/sdd1 rw\n"
        "97 30 7:3 / /media/u/x\v-\vvfat\v/dev/sde1 ro - squashfs /dev/loop3 ro\n");
    ASSERT_EQ(volumes.size(), 1u);
    EXPECT_EQ(volumes[0], (MountedVolume{"/media/u/QM\vCARD\r\f", "/dev/sdd1", "", 96}));
}

TEST(MountTable, ReadsLabelsFromLinks) {
    test::TempDir dir;
    dir.Write("dev/sdc1", "");
    std::filesystem::create_directories(dir.Path() / "by-label");
    std::filesystem::create_symlink("../dev/sdc1", dir.Path() / "by-label/QM_CAM07\\x20A");
    const auto labels = ReadVolumeLabels((dir.Path() / "by-label").string());
    ASSERT_EQ(labels.size(), 1u);
    EXPECT_EQ(labels.begin()->second, "QM_CAM07 A");
    EXPECT_TRUE(std::filesystem::equivalent(labels.begin()->first, dir.Path() / "dev/sdc1"));
    EXPECT_TRUE(ReadVolumeLabels((dir.Path() / "missing").string()).empty());
}

TEST(MountTable, ComparesByMountPathAndMount) {
    const std::vector<MountedVolume> before{{"/", "/dev/sda1", ""}, {"/media/a", "/dev/sdb1", ""}};
    const std::vector<MountedVolume> card{{"/", "/dev/sda1", ""}, {"/media/c", "/dev/sdc1", ""}};
    EXPECT_FALSE(CompareVolumes(before, before).arrived || CompareVolumes(before, before).removed);
    const VolumeChange swap = CompareVolumes(before, card);
    EXPECT_TRUE(swap.arrived && swap.removed);
    EXPECT_TRUE(CompareVolumes({before[0]}, before).arrived);
    EXPECT_TRUE(CompareVolumes(before, {before[0]}).removed);
    const std::vector<MountedVolume> remounted{before[0], {"/media/a", "/dev/sdb1", "", 7}};
    const VolumeChange swapped = CompareVolumes(before, remounted);
    EXPECT_TRUE(swapped.arrived && swapped.removed);
}

}  // namespace
}  // namespace tramlet
