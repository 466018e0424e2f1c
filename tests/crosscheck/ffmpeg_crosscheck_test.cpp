// An unclosed clip from the recorder simulator, repaired by tramlet-repair,
// must read in FFmpeg exactly as the simulator wrote it: one packet per
// frame chunk with its size, the encoder's key frames flagged in the index,
// and every frame decoding without an error.
#include <gtest/gtest.h>

#include <filesystem>

#include "catalogue/storage_layout.h"
#include "clip_checks.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

namespace tramlet {
namespace {

using test::Chunk;
using test::ClipManifest;

constexpr std::uint32_t kChunkBufferSize = 337'920;

struct CrossCheckCase {
    const char* name;
    std::vector<std::string> args;
    int width;
    int height;
    // Asserts that the clip really has what the case is about, so that a
    // change in the simulator or libx264 cannot empty the case unnoticed.
    void (*covers)(const ClipManifest& manifest, const std::string& clip);
};

void PrintTo(const CrossCheckCase& c, std::ostream* os) {
    *os << c.name;
}

// What the pass names a repaired clip: its whole seconds at the header's
// single-precision frame rate.
int ExpectedDuration(size_t frames, int rateMilli) {
    const float rate = static_cast<float>(rateMilli / 1000.0);
    return static_cast<int>(static_cast<double>(frames) / rate);
}

class FfmpegCrossCheck : public testing::TestWithParam<CrossCheckCase> {
  protected:
    void SetUp() override {
        if (!test::FfmpegInstalled())
            GTEST_SKIP() << "ffmpeg is not installed (scripts/setup-deps installs it)";
    }

    test::TempDir dir_;
};

TEST_P(FfmpegCrossCheck, RepairedClipReadsAsWritten) {
    const CrossCheckCase& c = GetParam();
    const std::string manifestPath = (dir_.Path() / "manifest.txt").string();
    std::vector<std::string> simcard = {
        TRAMLET_SIMCARD,   dir_.Root() + "card/", "-q", "--no-gps",   "--unclosed", "--start",
        "20240503-142233", "--channels",          "2",  "--manifest", manifestPath};
    simcard.insert(simcard.end(), c.args.begin(), c.args.end());
    const auto written = test::RunCommand(simcard);
    ASSERT_EQ(written.exitCode, 0) << written.err;

    const auto manifests = test::ReadManifest(manifestPath);
    ASSERT_EQ(manifests.size(), 1u);
    const ClipManifest& manifest = manifests[0];
    const DataRootPath root(dir_.Root() + "card/");
    const std::string unclosed = ClipPath(root, manifest.name);
    c.covers(manifest, test::ReadFile(unclosed));

    const auto repair = test::RunCommand({TRAMLET_REPAIR, unclosed});
    ASSERT_EQ(repair.exitCode, 0) << repair.out << repair.err;
    const std::string repaired =
        RepairedClipPath(root, 2024, 5, 3, 14, 22, 33, 2,
                         ExpectedDuration(manifest.frames.size(), manifest.rateMilli));
    ASSERT_TRUE(std::filesystem::exists(repaired)) << repair.out;

    test::ExpectIndexMatches(test::ReadFile(repaired), manifest);
    test::ExpectFfmpegReadsAsWritten(repaired, manifest, c.width, c.height);
}

std::string ChunkData(const std::string& clip, const Chunk& chunk, size_t length) {
    return clip.substr(chunk.offset + 8, length);
}

void HasKeyAndDeltaFrames(const ClipManifest& m, const std::string&) {
    int keys = 0;
    for (const Chunk& f : m.frames)
        keys += f.key;
    EXPECT_GE(keys, 2);
    EXPECT_LT(keys, static_cast<int>(m.frames.size()));
}

void StartsWithThreeByteCodes(const ClipManifest& m, const std::string& clip) {
    HasKeyAndDeltaFrames(m, clip);
    for (const Chunk& f : m.frames)
        ASSERT_EQ(ChunkData(clip, f, 3), std::string("\0\0\1", 3));
}

void StartsWithFourByteCodes(const ClipManifest& m, const std::string& clip) {
    for (const Chunk& f : m.frames)
        ASSERT_EQ(ChunkData(clip, f, 4), std::string("\0\0\0\1", 4));
}

void StartsWithDelimiters(const ClipManifest& m, const std::string& clip) {
    for (const Chunk& f : m.frames)
        ASSERT_EQ(ChunkData(clip, f, 4), std::string("\0\0\1\x09", 4));
}

void HasManySlicesPerFrame(const ClipManifest& m, const std::string& clip) {
    const Chunk& last = m.frames.back();  // a delta frame: slices and nothing else
    const std::string data = ChunkData(clip, last, last.size);
    size_t starts = 0;
    for (size_t at = data.find(std::string("\0\0\1", 3)); at != std::string::npos;
         at = data.find(std::string("\0\0\1", 3), at + 3))
        ++starts;
    EXPECT_EQ(starts, 4u);
}

void HasKeyFramesLargerThanTheChunkBuffer(const ClipManifest& m, const std::string&) {
    for (const Chunk& f : m.frames) {
        if (f.key) {
            EXPECT_GT(f.size, kChunkBufferSize);
        }
    }
}

void HasOnlyOddFrames(const ClipManifest& m, const std::string&) {
    for (const Chunk& f : m.frames)
        EXPECT_EQ(f.size % 2, 1u);
}

void EndsWithTornFrame(const ClipManifest& m, const std::string&) {
    EXPECT_EQ(m.tailId, "00dc");
}

void EndsWithForeignChunk(const ClipManifest& m, const std::string&) {
    EXPECT_EQ(m.tailId, "JUNK");
}

const std::vector<std::string> kSmall = {"--size",   "320x240", "--fps",    "10",
                                         "--frames", "25",      "--keyint", "10"};

std::vector<std::string> Small(std::vector<std::string> more) {
    more.insert(more.begin(), kSmall.begin(), kSmall.end());
    return more;
}

INSTANTIATE_TEST_SUITE_P(
    Configurations, FfmpegCrossCheck,
    testing::Values(
        CrossCheckCase{"baseline_one_slice", Small({"--profile", "baseline"}), 320, 240,
                       StartsWithThreeByteCodes},
        CrossCheckCase{"high_with_bframes", Small({"--profile", "high", "--bframes", "3"}), 320,
                       240, HasKeyAndDeltaFrames},
        CrossCheckCase{"four_slices_per_picture", Small({"--profile", "main", "--slices", "4"}),
                       320, 240, HasManySlicesPerFrame},
        CrossCheckCase{"access_unit_delimiters", Small({"--aud", "--bframes", "1"}), 320, 240,
                       StartsWithDelimiters},
        CrossCheckCase{"four_byte_start_codes", Small({"--start-code-bytes", "4"}), 320, 240,
                       StartsWithFourByteCodes},
        CrossCheckCase{"full_hd_coded_1088",
                       {"--size", "1920x1080", "--noise", "--qp", "20", "--fps", "10", "--frames",
                        "12", "--keyint", "6"},
                       1920,
                       1080,
                       HasKeyFramesLargerThanTheChunkBuffer},
        CrossCheckCase{"odd_length_frames",
                       {"--size", "320x240", "--fps", "29.97", "--frames", "40", "--odd-frames"},
                       320,
                       240,
                       HasOnlyOddFrames},
        // Long enough for the index to outgrow the torn frame's claim, so
        // that a reader following the claim would take the index for a frame.
        CrossCheckCase{"torn_tail",
                       {"--size", "320x240", "--fps", "30", "--frames", "94", "--torn"},
                       320,
                       240,
                       EndsWithTornFrame},
        CrossCheckCase{"trailing_foreign_chunk", Small({"--trailing-chunk", "JUNK"}), 320, 240,
                       EndsWithForeignChunk}),
    [](const testing::TestParamInfo<CrossCheckCase>& info) { return info.param.name; });

}  // namespace
}  // namespace tramlet
