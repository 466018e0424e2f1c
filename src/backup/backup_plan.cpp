#include "backup/backup_plan.h"

#include <set>

#include "catalogue/clip_name.h"
#include "catalogue/folder_listing.h"
#include "catalogue/storage_layout.h"
#include "common/local_moment.h"

namespace tramlet {
namespace {

// Adds the day's GPS log the first time the day comes up.
class PlanBuilder {
  public:
    explicit PlanBuilder(const DataRootPath& dataRoot) : root_(dataRoot) {}

    void AddDayLog(int year, int month, int day) {
        if (!days_.insert(year * 10000 + month * 100 + day).second)
            return;
        items_.push_back(
            {GpsLogPath(root_, year, month, day), RelativeGpsLogPath(year, month, day), true});
    }

    void AddClip(const std::string& fileName) {
        items_.push_back({ClipPath(root_, fileName), RelativeClipPath(fileName), false});
    }

    std::vector<BackupItem> Take() { return std::move(items_); }

  private:
    DataRootPath root_;
    std::set<int> days_;
    std::vector<BackupItem> items_;
};

}  // namespace

std::vector<BackupItem> PlanCurrentRecording(const DataRootPath& dataRoot, int year, int month,
                                             int day, int hour, int minute, int second) {
    PlanBuilder plan(dataRoot);
    plan.AddDayLog(year, month, day);
    for (const std::string& name :
         FindFiles(RecordingClipsPattern(dataRoot, year, month, day, hour, minute, second))) {
        plan.AddClip(name);
    }
    return plan.Take();
}

std::vector<BackupItem> PlanPeriod(const DataRootPath& dataRoot, std::int64_t start,
                                   std::int64_t end) {
    PlanBuilder plan(dataRoot);
    for (const std::string& name : FindFiles(AllClipsByShapePattern(dataRoot))) {
        const auto clip = ParseClipName(name);
        if (!clip)
            continue;
        const auto t =
            LocalMoment(clip->year, clip->month, clip->day, clip->hour, clip->minute, clip->second);
        if (!t)
            continue;
        const std::int64_t tEnd = *t + clip->duration;
        if ((start <= *t && *t <= end) || (start <= tEnd && tEnd <= end)) {
            plan.AddDayLog(clip->year, clip->month, clip->day);
            plan.AddClip(name);
        }
    }
    return plan.Take();
}

}  // namespace tramlet
