// The simulator's cards as the program's own readers and FFmpeg see them.
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <map>
#include <set>

#include "catalogue/clip_name.h"
#include "catalogue/folder_listing.h"
#include "catalogue/storage_layout.h"
#include "clip_checks.h"
#include "gps/gps_table.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

namespace tramlet {
namespace {

namespace fs = std::filesystem;

test::CommandResult Simcard(std::vector<std::string> args) {
    args.insert(args.begin(), TRAMLET_SIMCARD);
    return test::RunCommand(args);
}

std::map<std::string, test::ClipManifest> ByName(const std::vector<test::ClipManifest>& clips) {
    std::map<std::string, test::ClipManifest> byName;
    for (const auto& clip : clips)
        byName[clip.name] = clip;
    return byName;
}

TEST(SimulatedCard, FinishedClipsCarryTheirIndexAndReadInFfmpegAsWritten) {
    if (!test::FfmpegInstalled())
        GTEST_SKIP() << "ffmpeg is not installed (scripts/setup-deps installs it)";
    test::TempDir dir;
    const fs::path manifest = dir.Path() / "manifest.txt";
    const auto run = Simcard({dir.Root(), "-q", "--start", "20240503-142233", "--channels", "1,3",
                              "--size", "320x240", "--fps", "10", "--frames", "25", "--bframes",
                              "2", "--trailing-chunk", "JUNK", "--manifest", manifest.string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;

    const auto clips = test::ReadManifest(manifest);
    ASSERT_EQ(clips.size(), 2u);
    for (const auto& clip : clips) {
        SCOPED_TRACE(clip.name);
        const auto name = ParseClipName(clip.name);
        ASSERT_TRUE(name);
        EXPECT_EQ(name->duration, 2);
        EXPECT_FALSE(clip.unclosed);
        const std::string path = ClipPath(DataRootPath(dir.Root()), clip.name);
        test::ExpectIndexMatches(test::ReadFile(path), clip);
        test::ExpectFfmpegReadsAsWritten(path, clip, 320, 240);
    }
}

struct Month {
    int year;
    int month;
};

Month ThisMonth() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1};
}

// The demo card must give the program work at every turn: a calendar that
// opens on it, recordings of one to four channels, clips for the repair
// pass, and GPS logs the map reads, with one day left without.
TEST(SimulatedCard, DemoCardHasSomethingForEveryPartOfTheProgram) {
    test::TempDir dir;
    const fs::path manifest = dir.Path() / "manifest.txt";
    const DataRootPath root(dir.Root() + "card/");
    const auto run = Simcard({"--demo", root.Text(), "-q", "--manifest", manifest.string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const Month month = ThisMonth();

    std::map<int, std::map<std::string, int>> channelsByDayAndStamp;
    std::uintmax_t bytes = 0;
    for (const std::string& file : FindFiles(AllClipsPattern(root))) {
        const auto name = ParseClipName(file);
        ASSERT_TRUE(name && name->HasValidChannel()) << file;
        EXPECT_EQ(name->year, month.year) << file;
        EXPECT_EQ(name->month, month.month) << file;
        ++channelsByDayAndStamp[name->day][name->Stamp()];
        bytes += fs::file_size(ClipPath(root, file));
    }
    EXPECT_GE(channelsByDayAndStamp.size(), 5u);
    EXPECT_LT(bytes, 50u << 20);

    std::set<int> channelCounts;
    for (const auto& [day, recordings] : channelsByDayAndStamp) {
        for (const auto& [stamp, channels] : recordings)
            channelCounts.insert(channels);
    }
    EXPECT_TRUE(channelCounts.contains(1));
    EXPECT_TRUE(channelCounts.contains(4));

    int unclosed = 0, torn = 0, namedWithoutDuration = 0;
    for (const auto& [file, clip] : ByName(test::ReadManifest(manifest))) {
        unclosed += clip.unclosed;
        torn += clip.tailId == "00dc";
        namedWithoutDuration += !clip.unclosed && ParseClipName(file)->IsUnfinished();
    }
    EXPECT_GE(unclosed, 2);
    EXPECT_EQ(torn, 1);
    EXPECT_EQ(namedWithoutDuration, 1);
    EXPECT_EQ(test::ReadFile(root.Below(".version")), "1\n");

    int daysWithoutGps = 0;
    for (const auto& [day, recordings] : channelsByDayAndStamp) {
        GpsTable gps;
        gps.LoadGpsLog(root, month.year, month.month, day);
        if (gps.FixCount() == 0) {
            ++daysWithoutGps;
            continue;
        }
        for (const auto& [stamp, channels] : recordings) {
            const auto start = ParseClipName(stamp + "-1-1.avi");
            const GpsEntry& fix = gps.FindGpsFix(start->StartSecond());
            SCOPED_TRACE(stamp);
            ASSERT_TRUE(fix.present);
            EXPECT_NEAR(fix.latitude, 37.55, 0.2);    // latitude, Seoul
            EXPECT_NEAR(fix.longitude, 126.98, 0.2);  // longitude
            EXPECT_GE(fix.speedKmh, 0);               // km/h
            EXPECT_LE(fix.speedKmh, 100);
            EXPECT_GE(fix.heading, 0);  // heading
            EXPECT_LT(fix.heading, 360);
        }
    }
    EXPECT_EQ(daysWithoutGps, 1);
}

TEST(SimulatedCard, NeverOverwritesAClip) {
    test::TempDir dir;
    const std::vector<std::string> args = {dir.Root(), "-q", "--start", "20240503-142233",
                                           "--frames", "5",  "--size",  "320x240"};
    ASSERT_EQ(Simcard(args).exitCode, 0);
    const std::string clip = ClipPath(DataRootPath(dir.Root()), "20240503-142233-1-0.avi");
    const std::string before = test::ReadFile(clip);
    ASSERT_FALSE(before.empty());

    const auto again = Simcard(args);
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_NE(again.err.find("exists already"), std::string::npos) << again.err;
    EXPECT_EQ(test::ReadFile(clip), before);
}

struct CommandLineCase {
    const char* name;
    std::vector<std::string> args;  // "ROOT" stands for a fresh card folder, "FILE" for a file
    int exitCode;
    const char* says;  // on stderr, or on stdout for --help
};

void PrintTo(const CommandLineCase& c, std::ostream* os) {
    *os << c.name;
}

class SimcardCommandLine : public testing::TestWithParam<CommandLineCase> {};

TEST_P(SimcardCommandLine, ExitsAndSaysWhy) {
    const CommandLineCase& c = GetParam();
    test::TempDir dir;
    const fs::path file = dir.Write("file", "not a folder");
    std::vector<std::string> args;
    for (const std::string& a : c.args)
        args.push_back(a == "ROOT"   ? dir.Root() + "card"
                       : a == "FILE" ? file.string() + "/card"
                                     : a);
    const auto run = Simcard(args);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
    EXPECT_NE((run.out + run.err).find(c.says), std::string::npos) << run.out << run.err;
    if (c.exitCode != 0) {
        EXPECT_FALSE(fs::exists(dir.Root() + "card/video")) << "wrote despite the error";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SimcardCommandLine,
    testing::Values(
        CommandLineCase{"help", {"--help"}, 0, "--manifest FILE"},
        CommandLineCase{"no_root", {"--frames", "5"}, 2, "DATA_ROOT"},
        CommandLineCase{"unknown_option", {"ROOT", "--colour"}, 2, "unknown option --colour"},
        CommandLineCase{"bad_rate", {"ROOT", "--fps", "30,5"}, 2, "--fps"},
        CommandLineCase{"odd_size", {"ROOT", "--size", "641x360"}, 2, "even"},
        CommandLineCase{"fifth_channel", {"ROOT", "--channels", "15"}, 2, "--channels"},
        CommandLineCase{"torn_finished_clip", {"ROOT", "--torn"}, 2, "--unclosed"},
        CommandLineCase{
            "baseline_bframes", {"ROOT", "--profile", "baseline", "--bframes", "2"}, 2, "baseline"},
        CommandLineCase{"demo_with_options", {"--demo", "ROOT", "--fps", "25"}, 2, "--demo"},
        CommandLineCase{"unwritable_root", {"FILE", "--frames", "5"}, 1, "cannot create"}),
    [](const testing::TestParamInfo<CommandLineCase>& info) { return info.param.name; });

}  // namespace
}  // namespace tramlet
