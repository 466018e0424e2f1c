// tramlet-library find: recordings by vehicle and time, passes by place.
#include <cstdio>
#include <map>

#include "commands.h"
#include "library/library_find.h"
#include "library/library_layout.h"

namespace tramlet::library::tool {
namespace {

using Json = nlohmann::ordered_json;

constexpr RecorderSeconds kDay = 86400;
// A recording's place is the first fix at or up to 601 seconds after its
// start, within its day, as the card listing and the map take it.
constexpr RecorderSeconds kFixLookAhead = 601;

RecorderSeconds DayOf(RecorderSeconds t) {
    return t - ((t % kDay) + kDay) % kDay;
}

std::string TimeOfDay(RecorderSeconds t) {
    return FormatRecorderTime(t).substr(11);
}

Json RecordingJson(const ToolOptions& options, const Recording& r) {
    return {{"start", RecorderStamp(r.start)},
            {"duration", r.duration},
            {"channels", r.channels},
            {"data_root", VehicleRoot(options.library, r.vehicle)}};
}

int PrintPasses(const ToolOptions& options, LibraryIndex& index) {
    PassQuery query;
    query.latitude = options.near->latitude;
    query.longitude = options.near->longitude;
    query.metres = *options.radius;
    if (!options.vehicle.empty())
        query.vehicle = options.vehicle;
    query.from = options.from.value_or(kEarliest);
    query.to = options.to.value_or(kLatest);
    const std::vector<Pass> passes = FindPasses(index, query);
    if (options.json) {
        Json list = Json::array();
        for (const Pass& p : passes) {
            list.push_back({{"vehicle", p.vehicle},
                            {"first", FormatRecorderTime(p.first)},
                            {"last", FormatRecorderTime(p.last)},
                            {"closest_at", FormatRecorderTime(p.closestAt)},
                            {"closest_metres", p.closestMetres},
                            {"recording",
                             p.recording ? RecordingJson(options, *p.recording) : Json(nullptr)}});
        }
        PrintJson({{"near", {{"latitude", query.latitude}, {"longitude", query.longitude}}},
                   {"radius_metres", query.metres},
                   {"passes", list}});
        return 0;
    }
    for (const Pass& p : passes) {
        const std::string recording = p.recording
                                          ? "recording " + RecorderStamp(p.recording->start) +
                                                " (channels " + p.recording->channels + ")"
                                          : "no recording";
        std::printf("%s  %s - %s  closest %.1f m at %s  %s\n", p.vehicle.c_str(),
                    FormatRecorderTime(p.first).c_str(), TimeOfDay(p.last).c_str(), p.closestMetres,
                    TimeOfDay(p.closestAt).c_str(), recording.c_str());
    }
    if (!options.quiet)
        std::printf("%zu passes within %g m of %.6f,%.6f\n", passes.size(), query.metres,
                    query.latitude, query.longitude);
    return 0;
}

struct Day {
    std::vector<Recording> recordings;
    int unfinished = 0;
};

// Recordings by vehicle and day, with the clips left without a duration.
std::map<std::pair<std::string, RecorderSeconds>, Day> Days(const std::vector<ClipEntry>& clips) {
    std::map<std::pair<std::string, RecorderSeconds>, Day> days;
    for (const Recording& r : GroupRecordings(clips))
        days[{r.vehicle, DayOf(r.start)}].recordings.push_back(r);
    for (const ClipEntry& c : clips) {
        if (c.duration <= 0)
            ++days[{c.vehicle, DayOf(c.start)}].unfinished;
    }
    return days;
}

int PrintRecordings(const ToolOptions& options, LibraryIndex& index) {
    const std::optional<std::string> vehicle =
        options.vehicle.empty() ? std::nullopt : std::optional(options.vehicle);
    const auto days =
        Days(index.Clips(vehicle, options.from.value_or(kEarliest), options.to.value_or(kLatest)));
    Json list = Json::array();
    std::string shownVehicle;
    for (const auto& [key, day] : days) {
        const auto& [name, midnight] = key;
        const std::int64_t fixes = index.FixCount(name, midnight, midnight + kDay - 1);
        if (!options.json && name != shownVehicle)
            std::printf("%s\n", (shownVehicle = name).c_str());
        if (!options.json) {
            std::printf("%s  %zu recordings, %d unfinished clips, GPS fixes: %lld\n",
                        FormatRecorderTime(midnight).substr(0, 10).c_str(), day.recordings.size(),
                        day.unfinished, static_cast<long long>(fixes));
        }
        for (const Recording& r : day.recordings) {
            const auto fix = index.FirstFix(name, r.start,
                                            std::min(r.start + kFixLookAhead, midnight + kDay - 1));
            if (options.json) {
                Json entry = {{"vehicle", name}};
                entry.update(RecordingJson(options, r));
                entry["latitude"] = fix ? Json(fix->latitude) : Json(nullptr);
                entry["longitude"] = fix ? Json(fix->longitude) : Json(nullptr);
                list.push_back(entry);
                continue;
            }
            std::printf("  %s  %4d s  channels %-4s  at %.6f %.6f\n", TimeOfDay(r.start).c_str(),
                        r.duration, r.channels.c_str(), fix ? fix->latitude : 0.0,
                        fix ? fix->longitude : 0.0);
        }
    }
    if (options.json)
        PrintJson({{"recordings", list}});
    else if (days.empty() && !options.quiet)
        std::printf("No recordings\n");
    return 0;
}

}  // namespace

int RunFind(const ToolOptions& options) {
    const std::unique_ptr<LibraryIndex> index = OpenExistingIndex(options);
    return options.near ? PrintPasses(options, *index) : PrintRecordings(options, *index);
}

}  // namespace tramlet::library::tool
