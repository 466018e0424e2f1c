#pragma once

#include <optional>
#include <string>
#include <vector>

#include "library/library_index.h"

namespace tramlet::library {

// The clips of one vehicle that started in the same second: the channels
// recorded in parallel.
struct Recording {
    std::string vehicle;
    RecorderSeconds start = 0;
    int duration = 0;      // of the first clip listed, as the catalogue takes it
    std::string channels;  // "1234", in channel order

    bool Covers(RecorderSeconds t) const { return t >= start && t < start + duration; }
};

// Groups clips in the index's order (vehicle, start, path) into recordings.
// Clips without a duration cover nothing and are left out.
std::vector<Recording> GroupRecordings(const std::vector<ClipEntry>& clips);

// One stretch of consecutive seconds in which a vehicle was inside a circle.
struct Pass {
    std::string vehicle;
    RecorderSeconds first = 0;
    RecorderSeconds last = 0;
    RecorderSeconds closestAt = 0;
    double closestMetres = 0;
    // The recording that covers the closest second, or else the first one
    // that covers any second of the pass.
    std::optional<Recording> recording;
};

// Splits fixes, in any order, into passes of one vehicle each: a missing
// second ends a pass.
std::vector<Pass> GroupPasses(std::vector<FixNear> near);

struct PassQuery {
    double latitude = 0;
    double longitude = 0;
    double metres = 0;
    std::optional<std::string> vehicle;
    RecorderSeconds from = kEarliest;
    RecorderSeconds to = kLatest;
};

// Every pass of any vehicle (or the one asked for) through the circle that
// touches [from, to], in order of time, each with its recording.
std::vector<Pass> FindPasses(LibraryIndex& index, const PassQuery& query);

}  // namespace tramlet::library
