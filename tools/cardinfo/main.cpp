// Lists what a memory card holds: each day's recordings with their channels
// and lengths, clips still unfinished, and the days that have a GPS log.
#include <dirent.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "catalogue/clip_name.h"
#include "catalogue/folder_listing.h"
#include "catalogue/storage_layout.h"
#include "command_line.h"
#include "common/data_root_path.h"
#include "gps/gps_table.h"

namespace {

using namespace tramlet;

const char kHelp[] =
    R"(usage: tramlet-cardinfo [DATA_ROOT]

Lists what a memory card (or a folder laid out like one) at DATA_ROOT holds,
by default the current folder: for each day its recordings with their start,
length in seconds, channels and the GPS position at their start, the clips
still unfinished, the GPS fixes of the day's log and the log lines skipped
(no time of day, or values no place and no car can have).

  -h, --help  this text

exit status: 0 listed, 1 the folder cannot be read, 2 usage error.
)";

struct Recording {
    int duration = 0;  // from the first clip listed
    std::set<int> channels;
};

struct Day {
    std::map<int, Recording> recordings;  // by start second
    int unfinished = 0;
};

int DateKey(const ClipName& c) {
    return c.year * 10000 + c.month * 100 + c.day;
}

std::map<int, Day> ReadDays(const DataRootPath& root) {
    std::map<int, Day> days;
    for (const std::string& name : FindFiles(AllClipsPattern(root))) {
        const auto clip = ParseClipName(name);
        if (!clip || !clip->HasValidChannel() || !clip->IsRealDate())
            continue;
        Day& day = days[DateKey(*clip)];
        if (clip->IsUnfinished()) {
            ++day.unfinished;
            continue;
        }
        Recording& rec = day.recordings[clip->StartSecond()];
        if (rec.channels.empty())
            rec.duration = clip->duration;
        rec.channels.insert(clip->channel);
    }
    return days;
}

std::string GpsSummary(const GpsLoadReport& log) {
    if (log.failure) {
        return log.failure->kind == GpsLogProblem::kMissing
                   ? "no GPS log"
                   : "GPS log unreadable: " + log.failure->text;
    }
    return "GPS fixes: " + std::to_string(log.fixes) +
           ", lines skipped: " + std::to_string(log.skipped);
}

void PrintDay(const DataRootPath& root, int key, const Day& day) {
    const int y = key / 10000, m = key / 100 % 100, d = key % 100;
    GpsTable gps;
    const GpsLoadReport log = gps.LoadGpsLog(root, y, m, d);
    std::printf("%04d-%02d-%02d  %zu recordings, %d unfinished clips, %s\n", y, m, d,
                day.recordings.size(), day.unfinished, GpsSummary(log).c_str());
    for (const auto& [start, rec] : day.recordings) {
        std::string channels;
        for (const int channel : rec.channels)
            channels += std::to_string(channel);
        const GpsEntry& fix = gps.FindGpsFix(start);
        char position[64] = "no GPS fix";
        if (fix.present)
            std::snprintf(position, sizeof position, "at %.6f %.6f", fix.latitude, fix.longitude);
        std::printf("  %02d:%02d:%02d  %4d s  channels %-4s  %s\n", start / 3600, start / 60 % 60,
                    start % 60, rec.duration, channels.c_str(), position);
    }
}

// Why the folder cannot be listed; empty when it can. A missing folder is
// fine when it may be missing.
std::string FolderProblem(const std::string& folder, bool mayBeMissing) {
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
    if (dir || (mayBeMissing && errno == ENOENT))
        return {};
    return folder + ": " + std::strerror(errno);
}

}  // namespace

int main(int argc, char** argv) {
    tools::CommandLine line("tramlet-cardinfo", kHelp);
    if (const auto exit = line.Parse(argc, argv))
        return *exit;
    if (line.Operands().size() > 1)
        return line.UsageError("give one data root");
    const DataRootPath root(line.Operands().empty() ? "." : line.Operands()[0]);
    for (const std::string& problem :
         {FolderProblem(root.Text(), false), FolderProblem(VideoFolder(root), true)}) {
        if (!problem.empty())
            return line.Error(problem);
    }
    const auto days = ReadDays(root);
    if (days.empty())
        std::printf("No recordings under %s\n", VideoFolder(root).c_str());
    for (const auto& [key, day] : days)
        PrintDay(root, key, day);
    return 0;
}
