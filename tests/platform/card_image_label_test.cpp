// A card found by its label where udev keeps no label links.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/mount_table.h"
#include "support/card_image.h"

namespace tramlet {
namespace {

TEST(CardImageLabel, AFuseMountedExfatCardIsListedWithItsLabel) {
    if (const std::string why = test::CardImage::Unavailable(); !why.empty())
        GTEST_SKIP() << why;
    test::CardImage card(test::CardImage::Format::kExFat, "QM_CAM07X");
    ASSERT_EQ(card.Error(), "");
    const std::vector<MountedVolume> volumes = ReadMountedVolumes();
    const auto found = std::find_if(volumes.begin(), volumes.end(), [&](const MountedVolume& v) {
        return v.mountPath == card.MountPath().string();
    });
    ASSERT_NE(found, volumes.end());
    EXPECT_EQ(found->label, "QM_CAM07X");
    EXPECT_EQ(ProbeVolumeLabel(found->device), "QM_CAM07X");
}

}  // namespace
}  // namespace tramlet
