#include "library/library_find.h"

#include <algorithm>
#include <map>
#include <tuple>

namespace tramlet::library {
namespace {

// The recording that covers the pass's closest second, else the first one
// that covers any of its seconds.
std::optional<Recording> RecordingOf(const std::vector<Recording>& recordings, const Pass& pass) {
    const Recording* overlapping = nullptr;
    for (const Recording& r : recordings) {
        if (r.vehicle != pass.vehicle || r.start > pass.last || r.start + r.duration <= pass.first)
            continue;
        if (r.Covers(pass.closestAt))
            return r;
        if (!overlapping)
            overlapping = &r;
    }
    return overlapping ? std::optional(*overlapping) : std::nullopt;
}

// The recordings around all passes, one query per vehicle rather than one per
// pass: a busy corner has many passes, and a server answers each query late.
std::vector<Recording> RecordingsAround(LibraryIndex& index, const std::vector<Pass>& passes) {
    std::map<std::string, std::pair<RecorderSeconds, RecorderSeconds>> spans;
    for (const Pass& pass : passes) {
        auto [span, added] = spans.try_emplace(pass.vehicle, pass.first, pass.last);
        span->second.first = std::min(span->second.first, pass.first);
        span->second.second = std::max(span->second.second, pass.last);
    }
    std::vector<Recording> recordings;
    for (const auto& [vehicle, span] : spans) {
        const std::vector<Recording> some =
            GroupRecordings(index.Clips(vehicle, span.first, span.second));
        recordings.insert(recordings.end(), some.begin(), some.end());
    }
    return recordings;
}

}  // namespace

std::vector<Recording> GroupRecordings(const std::vector<ClipEntry>& clips) {
    std::vector<Recording> recordings;
    for (const ClipEntry& clip : clips) {
        if (clip.duration <= 0)
            continue;
        if (recordings.empty() || recordings.back().vehicle != clip.vehicle ||
            recordings.back().start != clip.start) {
            recordings.push_back({clip.vehicle, clip.start, clip.duration, {}});
        }
        std::string& channels = recordings.back().channels;
        const char channel = static_cast<char>('0' + clip.channel);
        if (channels.find(channel) == std::string::npos) {
            channels += channel;
            std::sort(channels.begin(), channels.end());
        }
    }
    return recordings;
}

std::vector<Pass> GroupPasses(std::vector<FixNear> near) {
    std::sort(near.begin(), near.end(), [](const FixNear& a, const FixNear& b) {
        return std::tie(a.vehicle, a.t) < std::tie(b.vehicle, b.t);
    });
    std::vector<Pass> passes;
    for (const FixNear& fix : near) {
        Pass* pass = passes.empty() ? nullptr : &passes.back();
        if (!pass || pass->vehicle != fix.vehicle || fix.t != pass->last + 1) {
            passes.push_back({fix.vehicle, fix.t, fix.t, fix.t, fix.metres, std::nullopt});
            continue;
        }
        pass->last = fix.t;
        if (fix.metres < pass->closestMetres) {
            pass->closestMetres = fix.metres;
            pass->closestAt = fix.t;
        }
    }
    return passes;
}

std::vector<Pass> FindPasses(LibraryIndex& index, const PassQuery& query) {
    std::vector<Pass> passes =
        GroupPasses(index.FixesNear(query.latitude, query.longitude, query.metres));
    std::erase_if(passes, [&](const Pass& pass) {
        return (query.vehicle && pass.vehicle != *query.vehicle) || pass.last < query.from ||
               pass.first > query.to;
    });
    std::stable_sort(passes.begin(), passes.end(), [](const Pass& a, const Pass& b) {
        return std::tie(a.first, a.vehicle) < std::tie(b.first, b.vehicle);
    });
    const std::vector<Recording> recordings = RecordingsAround(index, passes);
    for (Pass& pass : passes)
        pass.recording = RecordingOf(recordings, pass);
    return passes;
}

}  // namespace tramlet::library
