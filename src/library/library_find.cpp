#include "library/library_find.h"

#include <algorithm>
#include <tuple>

namespace tramlet::library {
namespace {

std::optional<Recording> RecordingOf(LibraryIndex& index, const Pass& pass) {
    const std::vector<Recording> recordings =
        GroupRecordings(index.Clips(pass.vehicle, pass.first, pass.last));
    for (const Recording& recording : recordings) {
        if (recording.Covers(pass.closestAt))
            return recording;
    }
    if (recordings.empty())
        return std::nullopt;
    return recordings.front();
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

std::vector<Pass> GroupPasses(const std::vector<FixNear>& near) {
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
    for (Pass& pass : passes)
        pass.recording = RecordingOf(index, pass);
    return passes;
}

}  // namespace tramlet::library
