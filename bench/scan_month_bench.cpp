// The month scan runs on every change of the calendar's month or day. Scans
// a card of 20,000 clip names in one month, and a vehicle's folder in a
// library holding a year of clips (about 300,000 names), each compared with
// one plain `ls -f` of the same video folder.
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

class StillCalendar : public CalendarPort {
  public:
    CalendarDate SelectedDate() const override { return {2024, 5, 15}; }
    void SetSelectedDate(const CalendarDate&) override {}
    ShownMonths ShownMonthRange() const override { return {3, {2024, 4, 29}}; }
    void SetDayStates(const std::vector<std::uint32_t>& masks) override { masks_ = masks; }

  private:
    std::vector<std::uint32_t> masks_;
};

// Four channels of one-minute recordings, `perDay` recordings a day from
// 06:00, over `days` days from 1 May 2024 (or within May when it has room).
int MakeClipNames(const std::string& videoFolder, int perDay, int days) {
    int clips = 0;
    for (int day = 0; day < days; ++day) {
        const int month = days <= 31 ? 5 : 1 + day / 31 % 12;
        const int date = days <= 31 ? 1 + day : 1 + day % 31;
        for (int recording = 0; recording < perDay; ++recording) {
            const int minute = recording * 5;
            for (int channel = 1; channel <= 4; ++channel, ++clips) {
                const ClipName clip{2024,        month, date,    6 + minute / 60 % 18,
                                    minute % 60, 0,     channel, 60};
                bench::CreateEmptyFile(videoFolder + "/" + clip.FileName());
            }
        }
    }
    return clips;
}

bool Measure(const std::string& what, int perDay, int days, double target) {
    bench::ScratchDir card;
    const DataRootPath root(card.Root());
    const std::string video = VideoFolder(root);
    ::mkdir(video.c_str(), 0755);
    const int clips = MakeClipNames(video, perDay, days);

    StillCalendar calendar;
    DayCatalogue catalogue;
    const double scan = bench::BestSeconds(10, [&] {
        catalogue.SetSelectedDate({});
        catalogue.ScanMonth(root, calendar, false);
    });
    const double ls = bench::BestCommandSeconds(10, "ls -f " + bench::ShellQuote(video));
    std::printf("%s: %d clip names, %zu recordings on the selected day\n", what.c_str(), clips,
                catalogue.Recordings().size());
    return bench::ReportRatio("month scan", scan, "ls -f", ls, target);
}

}  // namespace

int main() {
    const bool month = Measure("a card's month", 161, 31, 3.0);
    const bool year = Measure("a vehicle's year", 206, 372, 2.0);
    return month && year ? 0 : 1;
}
