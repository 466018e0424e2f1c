// The month scan runs on every change of the calendar's month or day. Scans a
// card of 20,000 clip names in one month, compared with one plain `ls -f` of
// its video folder.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench_support.h"
#include "catalogue/clip_name.h"
#include "catalogue/day_catalogue.h"
#include "catalogue/storage_layout.h"

namespace {

using namespace tramlet;

constexpr int kClips = 20'000;

class StillCalendar : public CalendarPort {
  public:
    CalendarDate SelectedDate() const override { return {2024, 5, 15}; }
    void SetSelectedDate(const CalendarDate&) override {}
    ShownMonths ShownMonthRange() const override { return {3, {2024, 4, 29}}; }
    void SetDayStates(const std::vector<std::uint32_t>& masks) override { masks_ = masks; }

  private:
    std::vector<std::uint32_t> masks_;
};

void MakeClipNames(const std::string& videoFolder) {
    // Four channels of one-minute recordings, about 160 recordings a day.
    for (int i = 0; i < kClips; ++i) {
        const int recording = i / 4;
        const ClipName clip{
            2024,      5, 1 + recording / 160 % 31, 6 + recording % 160 / 10, recording % 10 * 6, 0,
            1 + i % 4, 60};
        bench::CreateEmptyFile(videoFolder + "/" + clip.FileName());
    }
}

}  // namespace

int main() {
    bench::ScratchDir card;
    const std::string video = VideoFolder(card.Root());
    ::mkdir(video.c_str(), 0755);
    MakeClipNames(video);

    StillCalendar calendar;
    DayCatalogue catalogue;
    const double scan = bench::BestSeconds(10, [&] {
        catalogue.SetSelectedDate({});
        catalogue.ScanMonth(card.Root(), calendar, false);
    });
    const double ls = bench::BestCommandSeconds(10, "ls -f " + bench::ShellQuote(video));
    std::printf("%d clip names, %zu recordings on the selected day\n", kClips,
                catalogue.Recordings().size());
    return bench::ReportRatio("month scan", scan, "ls -f", ls, 3.0) ? 0 : 1;
}
