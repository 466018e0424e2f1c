// Repairs on the file systems the recorder writes, through the FUSE drivers
// users mount them with: FAT32 (fusefat) and exFAT (exfat-fuse). What the
// tests read comes back through a fresh mount, from the image itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <utility>

#include "avifix/repair_pass.h"
#include "catalogue/folder_listing.h"
#include "catalogue/storage_layout.h"
#include "clip_checks.h"
#include "support/card_image.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

namespace tramlet {
namespace {

namespace fs = std::filesystem;
using avifix::ClipAction;
using test::CardImage;

class CardImageTest : public testing::Test {
  protected:
    void SetUp() override {
        if (const std::string why = CardImage::Unavailable(); !why.empty())
            GTEST_SKIP() << why;
        if (!test::FfmpegInstalled())
            GTEST_SKIP() << "ffmpeg is not installed (scripts/setup-deps installs it)";
    }

    // Unclosed clips of the given channels, 4 s each, made by the simulator
    // beside the card.
    std::map<std::string, test::ClipManifest> WriteUnclosed(const char* channels) {
        const fs::path manifest = dir_.Path() / "manifest.txt";
        const auto run = test::RunCommand({TRAMLET_SIMCARD, Made(""), "-q", "--start",
                                           "20240503-142233", "--channels", channels, "--frames",
                                           "40", "--fps", "10", "--size", "320x240", "--unclosed",
                                           "--no-gps", "--manifest", manifest.string()});
        EXPECT_EQ(run.exitCode, 0) << run.err;
        std::map<std::string, test::ClipManifest> byName;
        for (const test::ClipManifest& clip : test::ReadManifest(manifest))
            byName[clip.name] = clip;
        return byName;
    }
    std::string Made(const std::string& name) const { return dir_.Root() + "made/" + name; }
    // Onto the card under a name of the test's choosing: made there, not
    // renamed, since fusefat loses a file renamed to another case of its name.
    static void CopyOnto(const CardImage& card, const std::string& from, const std::string& as) {
        fs::create_directories(card.Root() + "video");
        std::ofstream(card.Root() + "video/" + as, std::ios::binary)
            << std::ifstream(from, std::ios::binary).rdbuf();
    }

    test::TempDir dir_;
};

class RepairOnCardImage : public CardImageTest,
                          public testing::WithParamInterface<CardImage::Format> {};

TEST_P(RepairOnCardImage, EveryClipReadsInFfmpegAndNamesDifferingInCaseStay) {
    CardImage card(GetParam());
    ASSERT_EQ(card.Error(), "");
    const auto clips = WriteUnclosed("1,2,3");
    ASSERT_EQ(clips.size(), 3u);
    const std::string video = card.Root() + "video/";
    // Capitals, once with the duration already in the name, once without;
    // and a file in the way of channel 1's new name.
    CopyOnto(card, Made("video/20240503-142233-1-0.avi"), "20240503-142233-1-0.avi");
    CopyOnto(card, Made("video/20240503-142233-2-0.avi"), "20240503-142233-2-4.AVI");
    CopyOnto(card, Made("video/20240503-142233-3-0.avi"), "20240503-142233-3-0.AVI");
    std::ofstream(video + "20240503-142233-1-4.avi") << "another clip";

    const avifix::PassReport pass = avifix::RunRepairPass(DataRootPath(card.Root()));
    std::map<std::string, ClipAction> actions;
    std::string reasons;
    for (const avifix::ClipReport& r : pass.files) {
        actions[r.name] = r.action;
        reasons += r.name + ": " + r.Reason() + "\n";
    }
    EXPECT_EQ(actions, (std::map<std::string, ClipAction>{
                           {"20240503-142233-1-0.avi", ClipAction::Failed},  // the clash
                           {"20240503-142233-1-4.avi", ClipAction::LeftAlone},
                           {"20240503-142233-2-4.AVI", ClipAction::Repaired},
                           {"20240503-142233-3-0.AVI", ClipAction::Repaired}}))
        << reasons;

    ASSERT_TRUE(card.Remount()) << card.Error();
    std::vector<std::string> names = FolderListing::Read(video).Names();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names,
              (std::vector<std::string>{"20240503-142233-1-0.avi", "20240503-142233-1-4.avi",
                                        "20240503-142233-2-4.AVI", "20240503-142233-3-4.avi"}));
    EXPECT_EQ(test::ReadFile(video + "20240503-142233-1-4.avi"), "another clip");
    const std::map<std::string, std::string> repaired{
        {"20240503-142233-1-0.avi", "20240503-142233-1-0.avi"},
        {"20240503-142233-2-0.avi", "20240503-142233-2-4.AVI"},
        {"20240503-142233-3-0.avi", "20240503-142233-3-4.avi"}};
    for (const auto& [written, now] : repaired) {
        SCOPED_TRACE(now);
        test::ExpectIndexMatches(test::ReadFile(video + now), clips.at(written));
        test::ExpectFfmpegReadsAsWritten(video + now, clips.at(written), 320, 240);
    }
}

INSTANTIATE_TEST_SUITE_P(FileSystems, RepairOnCardImage,
                         testing::Values(CardImage::Format::kExFat, CardImage::Format::kFat32),
                         [](const auto& info) {
                             return info.param == CardImage::Format::kExFat ? "exFAT" : "FAT32";
                         });

struct PullCase {
    const char* name;
    bool (CardImage::*pull)();
};

class PulledDuringRepair : public CardImageTest, public testing::WithParamInterface<PullCase> {};

TEST_P(PulledDuringRepair, StopsAtTheFileAtHandAndRepairsTheRestOnceTheCardIsBack) {
    CardImage card(CardImage::Format::kExFat);
    ASSERT_EQ(card.Error(), "");
    const auto clips = WriteUnclosed("1,2,3,4");
    ASSERT_EQ(clips.size(), 4u);
    for (const auto& [name, clip] : clips)
        CopyOnto(card, Made("video/" + name), name);

    avifix::RepairCallbacks callbacks;
    bool pulled = false;
    callbacks.fileDone = [&](const avifix::ClipReport&) {
        if (!std::exchange(pulled, true)) {
            EXPECT_TRUE((card.*GetParam().pull)());
        }
    };
    const avifix::PassReport pass = avifix::RunRepairPass(DataRootPath(card.Root()), {}, callbacks);
    EXPECT_TRUE(pass.cardRemoved);
    ASSERT_EQ(pass.files.size(), 2u);
    EXPECT_EQ(pass.files[0].action, ClipAction::Repaired);
    EXPECT_EQ(pass.files[1].action, ClipAction::Failed);
    EXPECT_EQ(pass.files[1].Reason().rfind("the card was removed: ", 0), 0u)
        << pass.files[1].Reason();
    EXPECT_EQ(pass.notVisited, 2u);

    ASSERT_TRUE(card.Remount()) << card.Error();
    const avifix::PassReport again = avifix::RunRepairPass(DataRootPath(card.Root()));
    EXPECT_TRUE(again.AllFine());
    for (const auto& [name, clip] : clips) {
        const std::string path = card.Root() + "video/" + name.substr(0, 18) + "4.avi";
        SCOPED_TRACE(path);
        test::ExpectFfmpegReadsAsWritten(path, clip, 320, 240);
    }
}

INSTANTIATE_TEST_SUITE_P(Ways, PulledDuringRepair,
                         testing::Values(PullCase{"LazyUnmount", &CardImage::PullLazily},
                                         PullCase{"DriverGone", &CardImage::KillDriver}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tramlet
