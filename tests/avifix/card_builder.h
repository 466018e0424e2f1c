#pragma once

#include <string>

#include "avifix_support.h"

// Clips and a whole card for the pass, crash and idempotence tests.
namespace tramlet::avifix::test {

inline const std::string kRoot = "/card/";
inline std::string VideoPath(const std::string& name) {
    return kRoot + "video/" + name;
}

Bytes UnclosedClip(int frames, uint32_t dwRate = 30000, bool fourByte = false, uint32_t seed = 5);
Bytes FinishedClip(uint32_t totalFrames, uint32_t dwRate);

// A card with every shape the repair meets: unclosed clips with three- and
// four-byte start codes, a torn tail (short and long claims), a foreign
// chunk, a missing pad byte, a short chunk header at the end, a finished
// clip without duration, a clip shorter than a second, a name clash, a
// recorder-named unclosed clip and files that are left alone.
MemoryFileSystem MakeCard();

}  // namespace tramlet::avifix::test
