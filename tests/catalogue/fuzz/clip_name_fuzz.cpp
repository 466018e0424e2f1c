// Fuzz target over the clip names. Input: a file name in a card's video
// folder. Besides "no crash, no sanitizer report" (every field of a name may
// be as large, or as negative, as its digits allow) it checks on every input
// that a name that parses
//   - formats back to a name that parses to the same fields;
//   - is found by the search patterns built from its fields.
#include <string_view>

#include "catalogue/clip_name.h"
#include "catalogue/storage_layout.h"
#include "catalogue/wildcard.h"
#include "support/fuzz_check.h"

namespace {

using namespace tramlet;

bool SameFields(const ClipName& a, const ClipName& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
           a.minute == b.minute && a.second == b.second && a.channel == b.channel &&
           a.duration == b.duration;
}

// The name part of a pattern, after its last '/'.
std::string_view NamePart(const std::string& pattern) {
    return std::string_view(pattern).substr(pattern.rfind('/') + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view name(reinterpret_cast<const char*>(data), size);
    const std::optional<ClipName> clip = ParseClipName(name);
    if (!clip)
        return 0;
    const ClipName& c = *clip;
    // Everything the catalogue and the map ask of a name.
    volatile int asked = c.StartSecond() + c.IsRealDate() + c.HasValidChannel() + c.IsUnfinished();
    (void)asked;

    const std::string formatted = c.FileName();
    const std::optional<ClipName> again = ParseClipName(formatted);
    FUZZ_CHECK(again && SameFields(*again, c));
    const DataRootPath root("/card");
    for (const std::string& pattern :
         {AllClipsPattern(root), AllClipsByShapePattern(root),
          DayClipsPattern(root, c.year, c.month, c.day),
          RecordingClipsPattern(root, c.year, c.month, c.day, c.hour, c.minute, c.second),
          ChannelClipByStampPattern(root, c.Stamp(), c.channel),
          ChannelClipPattern(root, c.year, c.month, c.day, c.hour, c.minute, c.second,
                             c.channel)}) {
        FUZZ_CHECK(MatchesWildcard(NamePart(pattern), formatted));
    }
    FUZZ_CHECK(RepairedClipPath(root, c.year, c.month, c.day, c.hour, c.minute, c.second, c.channel,
                                c.duration) == ClipPath(root, formatted));
    return 0;
}
