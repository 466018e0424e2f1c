// Exports of a simulated card, judged by FFmpeg's own tools.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>

#include "export/export_clock.h"
#include "export/video_export.h"
#include "playback/frame_stamp_reader.h"
#include "support/card_image.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

namespace tramlet::exporter {
namespace {

namespace fs = std::filesystem;
using test::RunCommand;

constexpr int kWidth = 160;
constexpr int kHeight = 96;
const CalendarDate kDay{2026, 12, 2};

int At(int h, int m, int s) {
    return h * 3600 + m * 60 + s;
}

// Two recordings of all four channels (4 s, 5 s apart), then one without
// channel 3, at 30 frames a second with a key frame every second.
class ExportTest : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        QuietLibraryLog();
        card = new test::TempDir;
        const std::string sim = std::string(TRAMLET_SIMCARD) + " -q --size 160x96 ";
        ASSERT_EQ(std::system((sim +
                               "--start 20261202-081200 --channels 1234 --recordings 2 "
                               "--gap 5 --duration 4 " +
                               card->Root())
                                  .c_str()),
                  0);
        ASSERT_EQ(std::system(
                      (sim + "--start 20261202-081300 --channels 124 --duration 3 " + card->Root())
                          .c_str()),
                  0);
    }
    static void TearDownTestSuite() { delete card; }

    ExportRequest Request(ExportMode mode, int from, int to, std::vector<int> channels) {
        ExportRequest request;
        request.dataRoot = DataRootPath(card->Root());
        request.date = kDay;
        request.fromSecond = from;
        request.toSecond = to;
        request.channels = std::move(channels);
        request.mode = mode;
        request.output = out.Path() / "drive.mp4";
        return request;
    }

    static std::string Probe(const fs::path& file, const std::string& entries) {
        return RunCommand({"ffprobe", "-v", "error", "-select_streams", "v", "-show_entries",
                           entries, "-of", "default=nw=1:nk=1", file.string()})
            .out;
    }

    // The picture hashes of every frame ffmpeg decodes from the file.
    static std::vector<std::string> FrameHashes(const fs::path& file) {
        std::istringstream lines(
            RunCommand({"ffmpeg", "-v", "error", "-i", file.string(), "-f", "framemd5", "-"}).out);
        std::vector<std::string> hashes;
        for (std::string line; std::getline(lines, line);) {
            if (!line.empty() && line[0] != '#')
                hashes.push_back(line.substr(line.rfind(',') + 1));
        }
        return hashes;
    }

    // Frame `index` of the file as grey pixels.
    static std::string GreyFrame(const fs::path& file, int index) {
        return RunCommand({"ffmpeg", "-v", "error", "-i", file.string(), "-vf",
                           "select=eq(n\\," + std::to_string(index) + ")", "-frames:v", "1",
                           "-pix_fmt", "gray", "-f", "rawvideo", "-"})
            .out;
    }

    static inline test::TempDir* card = nullptr;
    test::TempDir out;
};

TEST_F(ExportTest, LosslessCopiesEveryPictureOfTheSpanAndMarksItsRecordings) {
    const ExportResult result =
        ExportVideo(Request(ExportMode::kEach, At(8, 12, 1), At(8, 12, 30), {1, 3}), {});
    ASSERT_FALSE(result.failure) << result.failure->text;
    ASSERT_EQ(result.written.size(), 2u);
    for (const int channel : {1, 3}) {
        const fs::path file = ChannelOutput(out.Path() / "drive.mp4", channel);
        const std::string c = std::to_string(channel);
        std::vector<std::string> source =
            FrameHashes(card->Path() / ("video/20261202-081200-" + c + "-4.avi"));
        const std::vector<std::string> second =
            FrameHashes(card->Path() / ("video/20261202-081209-" + c + "-4.avi"));
        ASSERT_EQ(source.size(), 120u);
        source.erase(source.begin(), source.begin() + 30);  // the span starts a second in
        source.insert(source.end(), second.begin(), second.end());
        EXPECT_EQ(FrameHashes(file), source) << file;
        EXPECT_EQ(Probe(file, "chapter=id"), "0\n1\n");
        EXPECT_EQ(Probe(file, "format_tags=creation_time"),
                  CreationTime(kDay, At(8, 12, 1)) + "\n");
    }
}

TEST_F(ExportTest, MergedPutsEachChannelInItsCellAtTheSameFrame) {
    // The caption covers the bottom row's stamps: an export with the cells
    // turned round shows channels 3 and 4 on top.
    for (const std::vector<int>& order : {std::vector<int>{1, 2, 3, 4}, {3, 4, 1, 2}}) {
        const ExportResult result =
            ExportVideo(Request(ExportMode::kMerged, At(8, 12, 2), At(8, 12, 20), order), {});
        ASSERT_FALSE(result.failure) << result.failure->text;
        const fs::path file = out.Path() / "drive.mp4";
        EXPECT_EQ(
            Probe(file, "stream=codec_name,width,height"),
            "h264\n" + std::to_string(2 * kWidth) + "\n" + std::to_string(2 * kHeight) + "\n");
        const int frames = std::stoi(Probe(file, "stream=nb_frames"));
        EXPECT_NEAR(frames, (2 + 4) * 30, 1);
        EXPECT_EQ(RunCommand({"ffmpeg", "-v", "error", "-i", file.string(), "-f", "null", "-"}).err,
                  "");
        for (const int index : {10, 100}) {  // in the first recording, then the second
            const std::string grey = GreyFrame(file, index);
            ASSERT_EQ(grey.size(), 4u * kWidth * kHeight);
            const ImageView picture{reinterpret_cast<const unsigned char*>(grey.data()), 2 * kWidth,
                                    2 * kHeight, 2 * kWidth, PixelFormat::kGrey8};
            std::map<int, int> shown;
            for (const FoundFrameStamp& found : FindFrameStamps(picture)) {
                if (found.y < kHeight)
                    shown[found.x < kWidth ? 0 : 1] =
                        found.stamp.channel * 1000 + found.stamp.frame;
            }
            const int frame = index < 60 ? index + 60 : index - 60;
            EXPECT_EQ(shown, (std::map<int, int>{{0, order[0] * 1000 + frame},
                                                 {1, order[1] * 1000 + frame}}))
                << "frame " << index;
        }
        fs::remove(file);
    }
}

TEST_F(ExportTest, AChannelMissingFromARecordingIsADarkCell) {
    const ExportResult result =
        ExportVideo(Request(ExportMode::kMerged, At(8, 13, 0), At(8, 13, 3), {1, 2, 3, 4}), {});
    ASSERT_FALSE(result.failure) << result.failure->text;
    const std::string grey = GreyFrame(out.Path() / "drive.mp4", 45);
    ASSERT_EQ(grey.size(), 4u * kWidth * kHeight);
    // Mean brightness of the top of a cell, above its label and the caption.
    const auto mean = [&](int cellX, int cellY) {
        long sum = 0, count = 0;
        for (int y = cellY * kHeight; y < cellY * kHeight + kHeight / 3; ++y) {
            for (int x = cellX * kWidth; x < (cellX + 1) * kWidth; ++x, ++count)
                sum += static_cast<unsigned char>(grey[static_cast<size_t>(y * 2 * kWidth + x)]);
        }
        return sum / count;
    };
    EXPECT_LT(mean(0, 1), 45);               // channel 3's cell
    EXPECT_GT(mean(1, 1), mean(0, 1) + 20);  // channel 4 shows its picture
}

TEST_F(ExportTest, EachPictureSizeOfAChannelGetsAFileOfItsOwn) {
    test::TempDir mixed;
    for (const char* recording :
         {"--start 20261203-081200 --size 160x96", "--start 20261203-081210 --size 192x112",
          "--start 20261203-081220 --size 160x96"}) {
        ASSERT_EQ(std::system((std::string(TRAMLET_SIMCARD) + " -q --channels 1 --duration 2 " +
                               recording + " " + mixed.Root())
                                  .c_str()),
                  0);
    }
    ExportRequest request = Request(ExportMode::kEach, At(8, 12, 0), At(8, 13, 0), {1});
    request.dataRoot = DataRootPath(mixed.Root());
    request.date = {2026, 12, 3};
    const ExportResult result = ExportVideo(request, {});
    ASSERT_FALSE(result.failure) << result.failure->text;
    const fs::path first = out.Path() / "drive-ch1.mp4";
    const fs::path second = out.Path() / "drive-ch1-192x112.mp4";
    EXPECT_EQ(result.written, (std::vector<fs::path>{first, second}));
    EXPECT_EQ(Probe(first, "stream=width,height"), "160\n96\n");
    EXPECT_EQ(Probe(second, "stream=width,height"), "192\n112\n");
    EXPECT_EQ(FrameHashes(first).size(), 120u);
    EXPECT_EQ(FrameHashes(second).size(), 60u);
}

TEST_F(ExportTest, MergedPictureOfLargeChannelsFitsWithin1080pUnlessFullSizeIsAsked) {
    test::TempDir large;
    ASSERT_EQ(std::system((std::string(TRAMLET_SIMCARD) +
                           " -q --size 1920x1080 --frames 30 --start 20261202-090000 "
                           "--channels 12 " +
                           large.Root())
                              .c_str()),
              0);
    struct Case {
        std::vector<int> channels;
        bool fullSize;
        const char* size;  // width and height, as ffprobe prints them
    };
    for (const Case& c :
         {Case{{1, 2}, false, "1920\n540\n"}, Case{{1, 2, 3}, false, "1920\n1080\n"},
          Case{{1, 2}, true, "3840\n1080\n"}}) {
        ExportRequest request = Request(ExportMode::kMerged, At(9, 0, 0), At(9, 0, 1), c.channels);
        request.dataRoot = DataRootPath(large.Root());
        request.fullSize = c.fullSize;
        request.overwrite = true;
        const ExportResult result = ExportVideo(request, {});
        ASSERT_FALSE(result.failure) << result.failure->text;
        EXPECT_EQ(Probe(request.output, "stream=width,height"), c.size) << c.channels.size();
        EXPECT_EQ(Probe(request.output, "stream=index"), "0\n");  // one video stream
    }
}

TEST_F(ExportTest, FailuresLeaveNothingBehindAndSayWhy) {
    std::atomic<bool> cancel{false};
    ExportCallbacks cancelling;
    cancelling.cancel = &cancel;
    cancelling.progress = [&](std::int64_t done, std::int64_t) { cancel = done >= 20; };
    struct Case {
        const char* what;
        ExportMode mode;
        int from, to;
        fs::path output;
        ExportError error;
        const ExportCallbacks* callbacks;
    };
    const ExportCallbacks none;
    const Case cases[] = {
        {"cancelled",
         ExportMode::kEach,
         At(8, 12, 0),
         At(8, 12, 30),
         {},
         ExportError::kCancelled,
         &cancelling},
        {"no recording",
         ExportMode::kMerged,
         At(9, 0, 0),
         At(10, 0, 0),
         {},
         ExportError::kNoRecording,
         &none},
        {"no such folder", ExportMode::kMerged, At(8, 12, 0), At(8, 12, 3),
         out.Path() / "missing/drive.mp4", ExportError::kNotWritable, &none},
    };
    for (const Case& c : cases) {
        cancel = false;
        ExportRequest request = Request(c.mode, c.from, c.to, {1, 2, 3, 4});
        if (!c.output.empty())
            request.output = c.output;
        const ExportResult result = ExportVideo(request, *c.callbacks);
        ASSERT_TRUE(result.failure) << c.what;
        EXPECT_EQ(result.failure->kind, c.error) << c.what << ": " << result.failure->text;
        EXPECT_TRUE(result.written.empty()) << c.what;
        EXPECT_TRUE(fs::is_empty(out.Path())) << c.what;
    }
}

TEST_F(ExportTest, AFullCardFailsAsFullAndKeepsNothing) {
    if (const std::string why = test::CardImage::Unavailable(); !why.empty())
        GTEST_SKIP() << why;
    test::CardImage small(test::CardImage::Format::kFat32, "EXPORT", 40);
    ASSERT_EQ(small.Error(), "");
    {
        std::ofstream filler(small.MountPath() / "filler.bin", std::ios::binary);
        const std::string block(1 << 16, 'x');
        while (filler.write(block.data(), static_cast<std::streamsize>(block.size()))) {
        }
    }
    ExportRequest request = Request(ExportMode::kMerged, At(8, 12, 0), At(8, 12, 30), {1, 2, 3, 4});
    request.output = small.MountPath() / "drive.mp4";
    request.crf = 0;  // lossless pictures, which cannot fit
    const ExportResult result = ExportVideo(request, {});
    ASSERT_TRUE(result.failure);
    EXPECT_EQ(result.failure->kind, ExportError::kDiskFull) << result.failure->text;
    for (const auto& entry : fs::directory_iterator(small.MountPath()))
        EXPECT_EQ(entry.path().filename().string().find("drive.mp4"), std::string::npos);
}

TEST(ExportTool, ExitStatusTellsUsageFromFailure) {
    test::TempDir empty;
    struct Case {
        std::vector<std::string> arguments;
        int status;
    };
    for (const Case& c : {Case{{"video", "--from", "20261202-081200"}, 2},
                          Case{{"video", "--from", "20261202-081200", "--to", "20261203-081200",
                                empty.Root(), "x.mp4"},
                               2},
                          Case{{"video", "--json", "--from", "20261202-081200", "--to",
                                "20261202-081300", empty.Root(), (empty.Path() / "x.mp4").string()},
                               1}}) {
        std::vector<std::string> argv{TRAMLET_EXPORT_BIN};
        argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
        const test::CommandResult run = RunCommand(argv);
        EXPECT_EQ(run.exitCode, c.status) << run.err;
        if (c.status == 1) {
            EXPECT_NE(run.out.find("\"error\": \"no_recording\""), std::string::npos) << run.out;
        }
    }
}

}  // namespace
}  // namespace tramlet::exporter
