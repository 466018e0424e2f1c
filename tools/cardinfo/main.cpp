// Lists what a memory card holds: each day's recordings with their channels
// and lengths, clips still unfinished, and the days that have a GPS log.
#include <cstdio>
#include <map>
#include <string>

#include "catalogue/clip_name.h"
#include "catalogue/folder_listing.h"
#include "catalogue/storage_layout.h"
#include "map/gps_table.h"

namespace {

using namespace tramlet;

struct Recording {
    int duration = 0;  // from the first clip listed
    std::string channels;
};

struct Day {
    std::map<int, Recording> recordings;  // by start second
    int unfinished = 0;
};

int DateKey(const ClipName& c) {
    return c.year * 10000 + c.month * 100 + c.day;
}

std::map<int, Day> ReadDays(const std::string& root) {
    std::map<int, Day> days;
    for (const std::string& name : FindFiles(AllClipsPattern(root))) {
        const auto clip = ParseClipName(name);
        if (!clip || !clip->HasValidChannel())
            continue;
        Day& day = days[DateKey(*clip)];
        if (clip->IsUnfinished()) {
            ++day.unfinished;
            continue;
        }
        Recording& rec = day.recordings[clip->StartSecond()];
        if (rec.channels.empty())
            rec.duration = clip->duration;
        rec.channels += std::to_string(clip->channel);
    }
    return days;
}

void PrintDay(const std::string& root, int key, const Day& day) {
    const int y = key / 10000, m = key / 100 % 100, d = key % 100;
    GpsTable& gps = TheGpsTable();
    gps.LoadGpsLog(root, y, m, d);
    std::printf("%04d-%02d-%02d  %zu recordings, %d unfinished clips, GPS fixes: %d\n", y, m, d,
                day.recordings.size(), day.unfinished, gps.FixCount());
    for (const auto& [start, rec] : day.recordings) {
        const GpsEntry& fix = gps.FindGpsFix(start);
        std::printf("  %02d:%02d:%02d  %4d s  channels %-4s  at %.6f %.6f\n", start / 3600,
                    start / 60 % 60, start % 60, rec.duration, rec.channels.c_str(), fix.value1,
                    fix.value2);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2 || (argc == 2 && std::string(argv[1]) == "--help")) {
        std::fprintf(stderr, "usage: tramlet-cardinfo [DATA_ROOT]\n");
        return 2;
    }
    std::string root = argc > 1 ? argv[1] : ".";
    if (root.back() != '/')
        root += '/';
    const auto days = ReadDays(root);
    if (days.empty())
        std::printf("No recordings under %svideo\n", root.c_str());
    for (const auto& [key, day] : days)
        PrintDay(root, key, day);
    return 0;
}
