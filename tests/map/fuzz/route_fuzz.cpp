// Fuzz target over the route's decimation. Besides "no crash, no sanitizer
// report" it checks its promises on every input:
//   - the first and last fix and every marked fix are kept, in order;
//   - no more fixes than the budget are kept besides those;
//   - the work stays within its n log n bound, whatever the track's shape;
//   - every dropped fix lies within the tolerance of its kept neighbours'
//     line, wherever a double can measure that at all.
//
// Input: byte 0 is the budget, the rest a list of fixes, each opened by a tag
// byte whose low two bits say what follows:
//   0: a step from the last fix, two signed bytes in hundred-thousandths of a
//      degree (a road, a zig-zag, a spiral); bit 2 of the tag marks the fix
//   1: a fix anywhere, latitude and longitude as two raw doubles (NaN,
//      infinities, 1e304...)
//   2: the last fix again, 8 times the next byte (a parked car)
//   3: a step as 0, scaled up by the tag's upper bits
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "map/track_decimation.h"
#include "support/fuzz_check.h"

namespace {

using tramlet::TrackFix;

// The work bound is checked at every size; a few thousand fixes keep the
// fuzzer quick enough to explore shapes.
constexpr size_t kMostFixes = 8192;

struct Track {
    std::vector<TrackFix> fixes;
    std::vector<bool> keep;
};

class Reader {
  public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool More() const { return at_ < size_; }
    uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    double Double() {
        double value = 0;
        if (size_ - at_ >= sizeof value) {
            std::memcpy(&value, data_ + at_, sizeof value);
            at_ += sizeof value;
        } else {
            at_ = size_;
        }
        return value;
    }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

void Add(Track& track, double latitude, double longitude, bool marked) {
    if (track.fixes.size() >= kMostFixes)
        return;
    const int second = static_cast<int>(track.fixes.size());
    track.fixes.push_back({second, latitude, longitude, 50});
    track.keep.push_back(marked);
}

Track ReadTrack(Reader& in) {
    Track track;
    Add(track, 37.5, 127.0, false);
    while (in.More() && track.fixes.size() < kMostFixes) {
        const uint8_t tag = in.Byte();
        const TrackFix last = track.fixes.back();
        switch (tag & 3) {
            case 1: {
                const double latitude = in.Double();
                Add(track, latitude, in.Double(), tag & 4);
                break;
            }
            case 2:
                for (int n = 8 * in.Byte(); n > 0; --n)
                    Add(track, last.latitude, last.longitude, false);
                break;
            default: {
                const double scale = (tag & 3) == 3 ? 1 << (tag >> 4) : 1;
                const double north = static_cast<int8_t>(in.Byte()) * 1e-5 * scale;
                const double east = static_cast<int8_t>(in.Byte()) * 1e-5 * scale;
                Add(track, last.latitude + north, last.longitude + east, tag & 4);
            }
        }
    }
    return track;
}

bool IsEnd(const Track& track, size_t i) {
    return i == 0 || i + 1 == track.fixes.size() || track.keep[i];
}

void CheckKept(const Track& track, const tramlet::DecimatedTrack& result, size_t budget) {
    size_t ends = 0, others = 0, next = 0;
    for (size_t k = 0; k < result.kept.size(); ++k) {
        const size_t i = result.kept[k];
        FUZZ_CHECK(i < track.fixes.size() && (k == 0 || i > result.kept[k - 1]));
        for (; next < i; ++next)
            FUZZ_CHECK(!IsEnd(track, next));  // a fix that must stay was dropped
        ++next;
        if (IsEnd(track, i))
            ++ends;
        else
            ++others;
    }
    for (; next < track.fixes.size(); ++next)
        FUZZ_CHECK(!IsEnd(track, next));
    FUZZ_CHECK(others <= (budget > ends ? budget - ends : 0));
}

void CheckTolerance(const Track& track, const tramlet::DecimatedTrack& result) {
    FUZZ_CHECK(result.tolerance >= 1 && result.tolerance <= std::numeric_limits<double>::max());
    for (size_t k = 1; k < result.kept.size(); ++k) {
        const TrackFix& a = track.fixes[result.kept[k - 1]];
        const TrackFix& b = track.fixes[result.kept[k]];
        for (size_t j = result.kept[k - 1] + 1; j < result.kept[k]; ++j) {
            const double off = tramlet::DistanceToSegment(track.fixes[j], a, b);
            FUZZ_CHECK(!(off <= std::numeric_limits<double>::max()) || off <= result.tolerance);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    Reader in(data, size);
    const size_t budget = 2 + 4 * size_t{in.Byte()};
    const Track track = ReadTrack(in);
    const tramlet::DecimatedTrack result = tramlet::DecimateTrack(track.fixes, track.keep, budget);
    FUZZ_CHECK(result.work <= tramlet::DecimationWorkBound(track.fixes.size()));
    CheckKept(track, result, budget);
    CheckTolerance(track, result);
    return 0;
}
