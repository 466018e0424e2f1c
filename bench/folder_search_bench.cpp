// A month scan asks the video folder 31 questions. Lists a folder of 50,000
// clip names once and matches every day of a month against it, compared with
// one plain `ls -f` of the same folder.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "bench_support.h"
#include "catalogue/clip_name.h"
#include "catalogue/folder_listing.h"
#include "catalogue/storage_layout.h"

namespace {

using namespace tramlet;

constexpr int kClips = 50'000;

void MakeClipNames(const std::string& videoFolder) {
    // Recordings spread over two months, four channels each, one minute long.
    for (int i = 0; i < kClips; ++i) {
        const int recording = i / 4;
        ClipName c{2024,
                   5 + recording / 6000 % 2,
                   1 + recording / 200 % 30,
                   recording / 60 % 24,
                   recording % 60,
                   0,
                   1 + i % 4,
                   60};
        bench::CreateEmptyFile(videoFolder + "/" + c.FileName());
    }
}

}  // namespace

int main() {
    bench::ScratchDir card;
    const DataRootPath root(card.Root());
    const std::string video = VideoFolder(root);
    ::mkdir(video.c_str(), 0755);
    MakeClipNames(video);

    size_t found = 0;
    const double scan = bench::BestSeconds(10, [&] {
        const FolderListing listing = FolderListing::Read(video);
        found = 0;
        for (int day = 1; day <= 31; ++day) {
            found += listing.Match(PatternName(DayClipsPattern(root, 2024, 5, day))).size();
        }
    });
    const double ls = bench::BestCommandSeconds(10, "ls -f " + bench::ShellQuote(video));
    std::printf("%d clip names, %zu matched in May\n", kClips, found);
    return bench::ReportRatio("list + 31 day searches", scan, "ls -f", ls, 3.0) ? 0 : 1;
}
