#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/card_version.h"
#include "app/install_folder.h"
#include "platform/data_root.h"
#include "playback/layout_table.h"
#include "support/temp_dir.h"

namespace tramlet {
namespace {

TEST(LayoutTable, PlacesChannelsByCount) {
    const LayoutTable table = BuildLayoutTable(840, 574);
    EXPECT_EQ(table[0][0], (LayoutCell{0, 0, 840, 574}));
    EXPECT_EQ(table[0][1], (LayoutCell{}));
    EXPECT_EQ(table[0][3], (LayoutCell{}));
    EXPECT_EQ(table[1][0], (LayoutCell{0, 143, 420, 287}));
    EXPECT_EQ(table[1][1], (LayoutCell{420, 143, 420, 287}));
    for (int row : {2, 3}) {
        EXPECT_EQ(table[row][0], (LayoutCell{0, 0, 420, 287}));
        EXPECT_EQ(table[row][1], (LayoutCell{420, 0, 420, 287}));
        EXPECT_EQ(table[row][2], (LayoutCell{0, 287, 420, 287}));
        EXPECT_EQ(table[row][3], (LayoutCell{420, 287, 420, 287}));
    }
    // Odd sizes truncate.
    EXPECT_EQ(BuildLayoutTable(7, 9)[1][0], (LayoutCell{0, 2, 3, 4}));
}

struct RootCase {
    const char* name;
    std::vector<MountedVolume> volumes;
    const char* workingFolder;
    const char* root;
};

class FindDataRootTest : public testing::TestWithParam<RootCase> {};

TEST_P(FindDataRootTest, TakesTheFirstCardOrTheWorkingFolder) {
    const RootCase& c = GetParam();
    EXPECT_EQ(FindDataRoot(c.volumes, c.workingFolder).Text(), c.root) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FindDataRootTest,
    testing::Values(
        RootCase{"first card wins",
                 {{"/media/a", "/dev/sdb1", "usb"},
                  {"/media/e", "/dev/sdc1", "qm_cam07"},
                  {"/media/f", "/dev/sdd1", "QM_CAM07"}},
                 "/home/u",
                 "/media/e/"},
        RootCase{
            "longer label matches", {{"/media/g", "/dev/sdb1", "QM_CAM07-2"}}, "/x", "/media/g/"},
        RootCase{"shorter label does not", {{"/media/g", "/dev/sdb1", "QM_CAM0"}}, "/x", "/x/"},
        RootCase{"unlabelled volume skipped",
                 {{"/media/d", "/dev/sdb1", ""}, {"/media/g", "/dev/sdc1", "Qm_Cam07"}},
                 "/x",
                 "/media/g/"},
        RootCase{"no card", {}, "/home/u/data", "/home/u/data/"},
        RootCase{"working folder at the top", {}, "/", "/"},
        RootCase{"card mounted with a slash",
                 {{"/mnt/card/", "/dev/sdb1", "QM_CAM07"}},
                 "/x",
                 "/mnt/card/"}));

TEST(CardVersion, ReadsTheLeadingNumber) {
    test::TempDir card;
    const DataRootPath root(card.Root());
    EXPECT_EQ(ReadCardVersion(root), 0);
    card.Write(".version", "7\n");
    EXPECT_EQ(ReadCardVersion(root), 7);
    card.Write(".version", "  \n 12 beta");
    EXPECT_EQ(ReadCardVersion(root), 12);
    card.Write(".version", "beta");
    EXPECT_EQ(ReadCardVersion(root), 0);
    card.Write(".version", "99999999999999999999");
    EXPECT_EQ(ReadCardVersion(root), 0);
}

TEST(InstallFolder, SettingThenBundledMapThenWorkingFolder) {
    test::TempDir prefix;
    const std::string bin = (prefix.Path() / "bin").string();
    std::filesystem::create_directories(bin);
    EXPECT_EQ(ChooseInstallFolder(std::nullopt, bin, "/work"), "/work");

    std::filesystem::create_directories(prefix.Path() / "share/tramlet/map");
    const std::string bundled = ChooseInstallFolder(std::nullopt, bin, "/work");
    EXPECT_TRUE(std::filesystem::equivalent(bundled, prefix.Path() / "share/tramlet/map"));

    EXPECT_EQ(ChooseInstallFolder(std::string("/opt/player"), bin, "/work"), "/opt/player");
    EXPECT_EQ(MapPagePath("/opt/player"), "/opt/player/map.html");
}

}  // namespace
}  // namespace tramlet
