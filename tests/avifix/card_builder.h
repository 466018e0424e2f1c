#pragma once

#include <string>

#include "avifix_support.h"
#include "common/data_root_path.h"

// Clips and a whole card for the pass, crash and idempotence tests.
namespace tramlet::avifix::test {

inline const DataRootPath kRoot("/card/");
inline std::string VideoPath(const std::string& name) {
    return kRoot.Below("video/" + name);
}

Bytes UnclosedClip(int frames, uint32_t dwRate = 30000, bool fourByte = false, uint32_t seed = 5);
// A clip as the recorder finishes it: every frame its header counts, then
// an idx1 entry for each. A count beyond kMostFramesStored is one no clip
// holds: the clip then holds three frames and their entries.
inline constexpr uint32_t kMostFramesStored = 100000;
Bytes FinishedClip(uint32_t totalFrames, uint32_t dwRate);
// The clip's first `keep` bytes: a copy broken off.
Bytes CutShort(Bytes clip, size_t keep);

// A card with every shape the repair meets: unclosed clips with three- and
// four-byte start codes, a torn tail (short and long claims), a foreign
// chunk, a missing pad byte, a short chunk header at the end, a finished
// clip without duration, a clip shorter than a second, a name clash, a
// recorder-named unclosed clip, finished clips cut short (with frames left,
// and without) and files that are left alone.
MemoryFileSystem MakeCard();

}  // namespace tramlet::avifix::test
