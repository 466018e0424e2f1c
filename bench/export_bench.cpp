// Exporting to MP4 against what a user would run with FFmpeg's own tool for
// the same file, in the same run on the same clips (four channels of
// 1280x720 at 30 frames a second):
//  - lossless, 4 channels x 10 minutes, against `ffmpeg -c copy` per channel;
//  - merged with the caption, 2 minutes, against `ffmpeg -filter_complex`
//    with xstack and drawtext at the same x264 settings.
// The clips are written first by the recorder simulator, which takes minutes.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench_support.h"
#include "export/merged_export.h"
#include "export/video_export.h"

namespace {

using namespace tramlet;
using namespace tramlet::exporter;

constexpr int kStart = 8 * 3600;

std::string Clip(const bench::ScratchDir& card, int channel) {
    return bench::ShellQuote(card.Root() + "video/20261202-080000-" + std::to_string(channel) +
                             "-600.avi");
}

double ExportSeconds(const bench::ScratchDir& card, const bench::ScratchDir& out, ExportMode mode,
                     int seconds, int runs) {
    ExportRequest request;
    request.dataRoot = DataRootPath(card.Root());
    request.date = {2026, 12, 2};
    request.fromSecond = kStart;
    request.toSecond = kStart + seconds;
    request.mode = mode;
    request.output = out.Path() + "/ours.mp4";
    request.overwrite = true;
    return bench::BestSeconds(runs, [&] {
        const ExportResult result = ExportVideo(request, {});
        if (result.failure)
            std::fprintf(stderr, "export failed: %s\n", result.failure->text.c_str());
    });
}

double CopySeconds(const bench::ScratchDir& card, const bench::ScratchDir& out, int runs) {
    std::string command = "true";
    for (int channel = 1; channel <= 4; ++channel) {
        command += " && ffmpeg -v error -y -i " + Clip(card, channel) +
                   " -c copy -movflags +faststart " +
                   bench::ShellQuote(out.Path() + "/ffmpeg-ch" + std::to_string(channel) + ".mp4");
    }
    return bench::BestCommandSeconds(runs, command);
}

double MergeSeconds(const bench::ScratchDir& card, const bench::ScratchDir& out, int seconds) {
    std::string command = "ffmpeg -v error -y";
    for (int channel = 1; channel <= 4; ++channel)
        command += " -t " + std::to_string(seconds) + " -i " + Clip(card, channel);
    command +=
        " -filter_complex \"[0][1][2][3]xstack=inputs=4:layout=0_0|w0_0|0_h0|w0_h0,"
        "drawtext=fontfile=" +
        CaptionFontFile() +
        ":text='2026-12-02 08\\:00\\:00    37.566500, 126.978000    45 km/h'"
        ":fontcolor=white:fontsize=60:box=1:boxcolor=black@0.6:boxborderw=30:x=30:"
        "y=h-th-30,format=yuv420p\" -c:v libx264 -crf 20 -preset veryfast"
        " -movflags +faststart " +
        bench::ShellQuote(out.Path() + "/ffmpeg-merged.mp4");
    return bench::BestCommandSeconds(1, command);
}

}  // namespace

int main() {
    QuietLibraryLog();
    bench::ScratchDir card, out;
    const std::string simulate = std::string(TRAMLET_SIMCARD) +
                                 " -q --start 20261202-080000 --channels 1234 --duration 600"
                                 " --size 1280x720 " +
                                 bench::ShellQuote(card.Root());
    std::printf("writing 4 x 10 min of 1280x720 clips...\n");
    std::fflush(stdout);
    if (std::system(simulate.c_str()) != 0) {
        std::fprintf(stderr, "the simulator failed\n");
        return 2;
    }
    // The copies take a second each: best of three. The merges take a
    // minute each: one run.
    const double copy = CopySeconds(card, out, 3);
    const double lossless = ExportSeconds(card, out, ExportMode::kEach, 600, 3);
    const double merge = MergeSeconds(card, out, 120);
    const double merged = ExportSeconds(card, out, ExportMode::kMerged, 120, 1);
    const bool losslessMet =
        bench::ReportRatio("lossless export, 4 x 10 min", lossless, "ffmpeg -c copy", copy, 1.2);
    const bool mergedMet = bench::ReportRatio("merged export, 2 min", merged,
                                              "ffmpeg -filter_complex xstack,drawtext", merge, 1.1);
    return losslessMet && mergedMet ? 0 : 1;
}
