#pragma once

#include <cstddef>
#include <cstdint>

#include "avifix/h264_detector.h"

// Splits one chunk's H.264 byte stream into NAL units at 00 00 01 start codes,
// fed the chunk's data in pieces of any size. The result is the same as scanning the whole chunk in
// one buffer: a start code may straddle two pieces, and a unit may span many.
namespace tramlet::avifix {

struct NalUnitView {
    const uint8_t* head;  // the first min(len, kMaxExaminedBytes) bytes, NAL header byte first
    size_t headLength;
    uint64_t start;  // p: chunk position of the unit's 00 00 01
    uint64_t end;    // q: the next start code, or the chunk's end
    // Bytes the unit adds to the frame length: q - p, plus, for the chunk's
    // first unit, the bytes in front of its start code (so that a four-byte
    // start code 00 00 00 01 stays with the frame it opens and the index
    // entries stay on their chunks).
    uint64_t counted;
};

class NalUnitSink {
  public:
    virtual ~NalUnitSink() = default;
    // Return false to stop: the splitter then delivers nothing more.
    virtual bool OnNalUnit(const NalUnitView& unit) = 0;
};

class NalSplitter {
  public:
    // Starts a chunk of the given size. Its data must then be fed in order,
    // exactly size bytes in all, and Finish called.
    void Begin(uint64_t chunkSize);
    // Returns false when the sink asked to stop.
    bool Feed(const uint8_t* data, size_t length, NalUnitSink& sink);
    bool Finish(NalUnitSink& sink);

  private:
    enum class Mode { Seek, Unit, Done };

    int64_t FindStartCode(const uint8_t* span, size_t length);
    uint8_t ByteAt(uint64_t pos, const uint8_t* span) const;
    void Collect(const uint8_t* span, size_t length, uint64_t upTo);
    bool StartUnit(uint64_t p);
    bool Deliver(uint64_t q, NalUnitSink& sink);

    uint64_t size_ = 0;
    int64_t limit_ = 0;    // size - 3: a start code must begin before it
    uint64_t offset_ = 0;  // chunk position of the piece being fed
    uint8_t back1_ = 0;    // byte at offset_ - 1
    uint8_t back2_ = 0;    // byte at offset_ - 2
    Mode mode_ = Mode::Done;
    uint64_t nextJ_ = 2;  // next position of a 01 byte to examine
    bool first_ = true;
    uint64_t firstStart_ = 0;
    uint64_t p_ = 0;        // the current unit's start code
    size_t collected_ = 0;  // head bytes collected from p_ + 3 on
    uint8_t head_[kMaxExaminedBytes + 2] = {};
};

// Convenience for a chunk held whole in memory.
bool SplitChunk(const uint8_t* data, size_t size, NalUnitSink& sink);

}  // namespace tramlet::avifix
