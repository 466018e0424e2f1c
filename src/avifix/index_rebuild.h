#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "avifix/avi_layout.h"
#include "avifix/clip_io.h"
#include "avifix/h264_detector.h"
#include "avifix/nal_splitter.h"
#include "common/failure.h"

// The index and header rebuild of an unclosed clip: every frame is measured
// from its NAL units, an idx1 index with one entry per frame (absolute
// offsets, the first 224) goes behind the last whole chunk, and the 224-byte
// header is rewritten with the true sizes, frame count, rate and picture size.
//
// Order of writes, so that a power cut at any moment leaves a file that the
// next pass repairs to the same bytes (frame data is never rewritten and the
// file never truncated):
//   1. WriteIndex: the idx1 chunk (behind a zero pad byte when the last
//      chunk's pad is missing), fsync.
//   2. CloseTornChunk: a torn last chunk's header becomes an empty JUNK
//      chunk, so that readers step from it straight onto idx1 instead of
//      taking the index for the rest of a frame; fsync.
//   3. WriteHeaderBody: every header byte except 4..135, fsync. The clip
//      still reads as unclosed (RIFF size placeholder) and dwRate, the one
//      header field the rebuild reads, is unchanged.
//   4. Commit: bytes 4..135 (RIFF size first through dwRate) in one write
//      inside the first sector, fsync. From here the clip reads as finished.
//   5. The repair pass renames the clip (see repair_pass.h).
// A rerun after a cut before the commit walks the same chunks and stops at
// the same place: a partly written idx1 never reads as "00dc", and a torn
// chunk whose claimed data has become our own index, or whose header has
// become JUNK in front of it, is recognised as such.
//
// fusefat drops a write that meets bytes written earlier through the same
// descriptor, so on real files each step gets a descriptor of its own.
namespace tramlet::avifix {

// The callback receives trunc(total / file size * 100) each time it changes.
using PercentCallback = std::function<void(int percent)>;

struct RebuildOptions {
    // Bytes asked of each read: large blocks, read once.
    size_t readBlockSize = size_t{1} << 20;
    // Index growth asking for more entries than this fails, as an allocation
    // failure would (tests use it to reach that path).
    uint64_t maxIndexEntries = uint64_t{1} << 32;
};

// Why a rebuild stopped.
enum class RebuildProblem {
    CannotStart,  // out of memory before anything was written
    IndexFull,    // enlarging the index failed; nothing written, the clip stays unclosed
    TooLarge,     // the file or the rebuilt file would reach 4 GiB; nothing written
    ReadError,    // nothing written
    WriteError,   // the clip may be partly rewritten but still reads as unclosed
};

enum class WalkEnd {
    EndOfFile,     // the last chunk ended exactly at the end of the file
    ShortHeader,   // fewer than 8 bytes left for a chunk header
    ForeignChunk,  // a chunk id other than "00dc" (audio, filler, an old index)
    TornChunk,     // a chunk whose data runs past the end of the file
    MissingPad,    // an odd-sized last chunk without its pad byte
    OwnIndex,      // a torn chunk whose data is this rebuild's idx1 (rerun after a cut)
};

struct RebuildResult {
    // Why the rebuild stopped; empty while it goes on or when it is done.
    std::optional<Failure<RebuildProblem>> failure;
    WalkEnd end = WalkEnd::EndOfFile;
    int32_t frameCount = 0;
    float frameRate = 0.0f;
    uint32_t width = 0;
    uint32_t height = 0;
    uint64_t indexPosition = 0;   // where "idx1" begins
    uint64_t fileEnd = 0;         // just after the idx1 chunk
    bool padByteWritten = false;  // a zero pad byte goes in front of idx1
};

class IndexRebuild {
  public:
    explicit IndexRebuild(RebuildOptions options = {});
    ~IndexRebuild();
    IndexRebuild(const IndexRebuild&) = delete;
    IndexRebuild& operator=(const IndexRebuild&) = delete;

    // Start and chunk walk: reads only. fileSize is the clip's full size;
    // nothing at or past it is read, whatever the chunk sizes claim.
    const RebuildResult& Walk(ClipFile& file, const Header& recorderHeader, uint64_t fileSize,
                              const PercentCallback& progress = {});
    // Steps 1 to 4 of the write order above, one a call. Need a successful Walk.
    bool WriteIndex(ClipFile& file);
    bool CloseTornChunk(ClipFile& file);
    bool WriteHeaderBody(ClipFile& file);
    bool Commit(ClipFile& file);

    const RebuildResult& Result() const { return result_; }
    size_t EntryCount() const { return count_; }
    const IndexEntry* Entries() const { return entries_; }
    // The header and the idx1 chunk this rebuild writes.
    Header NewHeader() const;
    std::vector<uint8_t> IndexChunk() const;

  private:
    class Walker;

    bool Emit(bool key);
    bool Fail(RebuildProblem problem, std::string text);
    // The first `limit` bytes of the idx1 chunk as the walk so far would
    // write it, the frame in progress included.
    std::vector<uint8_t> OwnIndexStart(uint64_t limit) const;

    RebuildOptions options_;
    RebuildResult result_;
    // Frame accounting state, zero for every file.
    IndexEntry* entries_ = nullptr;  // malloc/realloc: grows by kIndexGrowth entries
    uint64_t count_ = 0;
    uint64_t capacity_ = 0;
    uint32_t chunkOffset_ = 0;
    uint64_t frameLength_ = 0;
    bool slicePending_ = false;
    DetectorState detector_;
    NalUnit unit_;
};

// Walk, WriteIndex, CloseTornChunk, WriteHeaderBody and Commit in one go (no
// rename): for tests, the fuzzer and callers that handle a single file.
RebuildResult RebuildClip(ClipFile& file, const Header& recorderHeader, uint64_t fileSize,
                          const RebuildOptions& options = {}, const PercentCallback& progress = {});

}  // namespace tramlet::avifix
