// tramlet-simcard: writes memory cards as the car recorder does, for tests,
// benchmarks and the demo card.
#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "card_writer.h"
#include "catalogue/storage_layout.h"
#include "demo_plan.h"
#include "manifest_writer.h"
#include "simcard_options.h"

namespace {

using namespace tramlet::simcard;

// The demo card is meant for a fresh folder; clips already there would be
// mixed with it.
void RequireNoClips(const tramlet::DataRootPath& root) {
    std::error_code error;
    const std::filesystem::path video = tramlet::VideoFolder(root);
    if (std::filesystem::is_directory(video, error) && !std::filesystem::is_empty(video, error))
        throw std::runtime_error(video.string() +
                                 " holds files already; the demo card needs an empty folder");
}

void PrintReport(const CardPlan& card, const CardReport& report, double seconds) {
    size_t frames = 0;
    for (const ClipResult& clip : report.clips) {
        std::printf("%s  %zu frames%s%s\n", tramlet::ClipPath(card.root, clip.fileName).c_str(),
                    clip.frames.size(), clip.unclosed ? ", unclosed" : "",
                    clip.tail ? (clip.tail->id == "00dc" ? ", torn last chunk"
                                                         : ", foreign chunk at the end")
                              : "");
        frames += clip.frames.size();
    }
    std::printf("%zu clips, %zu frames, %d GPS lines in %.1f s\n", report.clips.size(), frames,
                report.gpsLines, seconds);
}

int Run(const SimcardOptions& options) {
    const RecorderTime today = LocalNow();
    const CardPlan card = options.demo ? DemoPlan(tramlet::DataRootPath(options.root), today)
                                       : PlanFromOptions(options, today);
    if (options.demo)
        RequireNoClips(card.root);
    const auto began = std::chrono::steady_clock::now();
    const CardReport report = WriteCard(card);
    if (!options.manifest.empty())
        WriteManifest(options.manifest, card, report.clips);
    if (!options.quiet) {
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - began;
        PrintReport(card, report, took.count());
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    SimcardOptions options;
    try {
        options = ParseOptions({argv + 1, argv + argc});
    } catch (const UsageError& e) {
        std::fprintf(stderr, "tramlet-simcard: %s\nTry 'tramlet-simcard --help'.\n", e.what());
        return 2;
    }
    if (options.help) {
        std::fputs(HelpText(), stdout);
        return 0;
    }
    try {
        return Run(options);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tramlet-simcard: %s\n", e.what());
        return 1;
    }
}
