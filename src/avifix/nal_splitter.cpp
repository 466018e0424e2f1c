#include "avifix/nal_splitter.h"

#include <algorithm>
#include <cstring>

#include "avifix/start_code.h"

namespace tramlet::avifix {

void NalSplitter::Begin(uint64_t chunkSize) {
    size_ = chunkSize;
    limit_ = static_cast<int64_t>(chunkSize) - 3;
    offset_ = 0;
    back1_ = back2_ = 0;
    mode_ = limit_ > 0 ? Mode::Seek : Mode::Done;
    nextJ_ = 2;
    first_ = true;
    firstStart_ = 0;
    p_ = 0;
    collected_ = 0;
}

uint8_t NalSplitter::ByteAt(uint64_t pos, const uint8_t* span) const {
    if (pos >= offset_)
        return span[pos - offset_];
    return pos + 1 == offset_ ? back1_ : back2_;
}

// A start code at i < limit, with its 01 byte at j = i + 2 >= nextJ_ inside
// this piece. Returns i, or -1 after marking the whole piece as examined.
int64_t NalSplitter::FindStartCode(const uint8_t* span, size_t length) {
    const uint64_t jEnd = std::min<uint64_t>(offset_ + length, static_cast<uint64_t>(limit_ + 2));
    uint64_t j = std::max<uint64_t>(nextJ_, offset_);
    // 01 bytes in the first two places of the piece look back into the last one.
    for (; j < jEnd && j < offset_ + 2; ++j) {
        if (ByteAt(j, span) == 1 && ByteAt(j - 1, span) == 0 && ByteAt(j - 2, span) == 0) {
            return static_cast<int64_t>(j - 2);
        }
    }
    if (j < jEnd) {
        const uint64_t i = j - 2;  // >= offset_
        const size_t n = static_cast<size_t>(jEnd - i);
        const size_t r = avifix::FindStartCode(span + (i - offset_), n);
        if (r < n)
            return static_cast<int64_t>(i + r);
    }
    nextJ_ = std::max(nextJ_, jEnd);
    return -1;
}

void NalSplitter::Collect(const uint8_t* span, size_t length, uint64_t upTo) {
    if (collected_ >= sizeof head_)
        return;
    const uint64_t from = p_ + 3 + collected_;
    const uint64_t end = std::min({upTo, offset_ + length, p_ + 3 + sizeof head_});
    if (from >= end || from < offset_)
        return;
    const size_t take = static_cast<size_t>(end - from);
    std::memcpy(head_ + collected_, span + (from - offset_), take);
    collected_ += take;
}

bool NalSplitter::StartUnit(uint64_t p) {
    p_ = p;
    collected_ = 0;
    const uint64_t v = p + 3;
    if (static_cast<int64_t>(v) > limit_) {  // q = v: an empty unit ends the chunk
        mode_ = Mode::Done;
        return false;
    }
    mode_ = Mode::Unit;
    nextJ_ = v + 2;
    return true;
}

bool NalSplitter::Deliver(uint64_t q, NalUnitSink& sink) {
    const uint64_t v = p_ + 3;
    if (q <= v) {  // len <= 0: the chunk is done, the rest is not counted
        mode_ = Mode::Done;
        return true;
    }
    const uint64_t len = q - v;
    NalUnitView unit;
    unit.head = head_;
    unit.headLength = static_cast<size_t>(std::min<uint64_t>({len, kMaxExaminedBytes, collected_}));
    unit.start = p_;
    unit.end = q;
    unit.counted = q - p_ + (first_ ? firstStart_ : 0);
    first_ = false;
    if (!sink.OnNalUnit(unit)) {
        mode_ = Mode::Done;
        return false;
    }
    return true;
}

bool NalSplitter::Feed(const uint8_t* span, size_t length, NalUnitSink& sink) {
    bool keepGoing = true;
    while (keepGoing && mode_ != Mode::Done) {
        if (mode_ == Mode::Seek) {
            const int64_t i = FindStartCode(span, length);
            if (i < 0)
                break;
            firstStart_ = static_cast<uint64_t>(i);
            StartUnit(static_cast<uint64_t>(i));
            continue;
        }
        const int64_t i = FindStartCode(span, length);
        if (i < 0) {
            Collect(span, length, offset_ + length);
            break;
        }
        const auto q = static_cast<uint64_t>(i);
        Collect(span, length, q);
        keepGoing = Deliver(q, sink);
        if (keepGoing && mode_ != Mode::Done)
            StartUnit(q);
    }
    if (length >= 2) {
        back2_ = span[length - 2];
        back1_ = span[length - 1];
    } else if (length == 1) {
        back2_ = back1_;
        back1_ = span[0];
    }
    offset_ += length;
    return keepGoing;
}

bool NalSplitter::Finish(NalUnitSink& sink) {
    bool ok = true;
    if (mode_ == Mode::Unit)
        ok = Deliver(size_, sink);
    mode_ = Mode::Done;
    return ok;
}

bool SplitChunk(const uint8_t* data, size_t size, NalUnitSink& sink) {
    NalSplitter splitter;
    splitter.Begin(size);
    return splitter.Feed(data, size, sink) && splitter.Finish(sink);
}

}  // namespace tramlet::avifix
