// Stamps read from frames of simulator clips that FFmpeg decoded, scaled and
// converted: the path a screenshot of the player takes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "catalogue/clip_name.h"
#include "catalogue/storage_layout.h"
#include "frame_stamp_printer.h"
#include "playback/frame_stamp_reader.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

namespace tramlet {
namespace {

constexpr int kFrames = 12;

struct VideoCase {
    const char* name;
    std::vector<std::string> simcardArgs;
    std::string filter;  // FFmpeg video filter, empty for none
    const char* ffmpegFormat;
    PixelFormat format;
};

void PrintTo(const VideoCase& c, std::ostream* os) {
    *os << c.name;
}

int BytesPerPixel(PixelFormat format) {
    return format == PixelFormat::kGrey8 ? 1 : format == PixelFormat::kRgb24 ? 3 : 4;
}

class StampedVideo : public testing::TestWithParam<VideoCase> {
  protected:
    void SetUp() override {
        if (!test::HasProgram("ffmpeg"))
            GTEST_SKIP() << "ffmpeg is not installed (scripts/setup-deps installs it)";
    }

    // Writes one recording of kFrames frames and returns its clips' paths.
    std::vector<std::string> MakeRecording(const std::string& channels,
                                           std::vector<std::string> args) {
        std::vector<std::string> argv = {
            TRAMLET_SIMCARD,   dir_.Root(), "-q", "--no-gps", "--start",
            "20240503-142233", "--fps",     "10", "--frames", std::to_string(kFrames),
            "--channels",      channels};
        argv.insert(argv.end(), args.begin(), args.end());
        const auto run = test::RunCommand(argv);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        std::vector<std::string> paths;
        for (char c : channels)
            paths.push_back(ClipPath(DataRootPath(dir_.Root()),
                                     ClipName{2024, 5, 3, 14, 22, 33, c - '0', 1}.FileName()));
        return paths;
    }

    // Decoded frames, all of them, in display order as FFmpeg gives them.
    std::vector<std::uint8_t> Decode(const std::vector<std::string>& inputs,
                                     const std::string& filter, const char* format,
                                     const char* filterOption = "-vf") {
        const std::string raw = (dir_.Path() / "frames.raw").string();
        std::vector<std::string> argv = {"ffmpeg", "-v", "error", "-y"};
        for (const std::string& input : inputs) {
            argv.push_back("-i");
            argv.push_back(input);
        }
        if (!filter.empty()) {
            argv.push_back(filterOption);
            argv.push_back(filter);
        }
        for (const char* a : {"-pix_fmt", format, "-f", "rawvideo"})
            argv.push_back(a);
        argv.push_back(raw);
        const auto run = test::RunCommand(argv);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        std::ifstream in(raw, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    test::TempDir dir_;
};

// Output size of the decoded frames: the filter's when it scales.
std::pair<int, int> OutputSize(const VideoCase& c) {
    int width = 640, height = 360;
    for (size_t i = 0; i + 1 < c.simcardArgs.size(); ++i) {
        if (c.simcardArgs[i] == "--size")
            std::sscanf(c.simcardArgs[i + 1].c_str(), "%dx%d", &width, &height);
    }
    if (c.filter.starts_with("scale="))
        std::sscanf(c.filter.c_str(), "scale=%d:%d", &width, &height);
    return {width, height};
}

TEST_P(StampedVideo, EveryDecodedFrameTellsItsChannelAndIndex) {
    const VideoCase& c = GetParam();
    const auto clips = MakeRecording("3", c.simcardArgs);
    const auto frames = Decode(clips, c.filter, c.ffmpegFormat);
    const auto [width, height] = OutputSize(c);
    const size_t frameBytes = static_cast<size_t>(width) * height * BytesPerPixel(c.format);
    ASSERT_EQ(frames.size(), frameBytes * kFrames);
    for (int i = 0; i < kFrames; ++i) {
        const ImageView view{frames.data() + frameBytes * i, width, height,
                             width * BytesPerPixel(c.format), c.format};
        EXPECT_EQ(ReadFrameStamp(view), (FrameStamp{3, i})) << "frame " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StampedVideo,
    testing::Values(
        VideoCase{"native_grey_with_bframes", {"--bframes", "2"}, "", "gray", PixelFormat::kGrey8},
        VideoCase{"half_size_rgb", {}, "scale=320:180", "rgb24", PixelFormat::kRgb24},
        VideoCase{"small_cell_bgra", {}, "scale=242:136", "bgra", PixelFormat::kRgb32},
        VideoCase{"enlarged_grey", {}, "scale=1000:562", "gray", PixelFormat::kGrey8},
        VideoCase{"heavy_compression", {"--qp", "42"}, "", "gray", PixelFormat::kGrey8},
        VideoCase{"baseline_four_slices",
                  {"--profile", "baseline", "--slices", "4"},
                  "scale=480:270:flags=bicubic",
                  "rgb24",
                  PixelFormat::kRgb24},
        VideoCase{"full_hd_shown_at_half",
                  {"--size", "1920x1080"},
                  "scale=960:540:flags=area",
                  "bgra",
                  PixelFormat::kRgb32}),
    [](const testing::TestParamInfo<VideoCase>& info) { return info.param.name; });

// Four players side by side, as the main window shows a recording.
TEST_F(StampedVideo, AScreenOfFourPlayersShowsEveryChannel) {
    const auto clips = MakeRecording("1234", {});
    const char* grid = "[0][1]hstack[top];[2][3]hstack[bottom];[top][bottom]vstack,scale=960:540";
    const auto frames = Decode(clips, grid, "bgra", "-filter_complex");
    const size_t frameBytes = 960 * 540 * 4;
    ASSERT_EQ(frames.size(), frameBytes * kFrames);
    for (int i = 0; i < kFrames; ++i) {
        const auto found = FindFrameStamps(
            {frames.data() + frameBytes * i, 960, 540, 960 * 4, PixelFormat::kRgb32});
        ASSERT_EQ(found.size(), 4u) << "frame " << i;
        for (int channel = 1; channel <= 4; ++channel)
            EXPECT_EQ(found[channel - 1].stamp, (FrameStamp{channel, i})) << "frame " << i;
    }
}

}  // namespace
}  // namespace tramlet
