#include "avifix/index_rebuild.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <utility>

#include "common/path_text.h"

namespace tramlet::avifix {
namespace {

// Units that can only stand in front of a picture's first slice: after a
// slice they begin the next frame. Counting a delimiter or SEI into the frame
// before would leave every later index entry a few bytes inside its chunk.
bool OpensAccessUnit(int nalType) {
    return nalType == 6 || nalType == 7 || nalType == 8 || nalType == 9 ||
           (nalType >= 14 && nalType <= 18);
}

// Reads the clip in large blocks and hands out views into them. Nothing at or
// past fileSize is ever asked of the file.
class BlockReader {
  public:
    BlockReader(ClipFile& file, uint64_t fileSize, size_t blockSize)
        : file_(file),
          fileSize_(fileSize),
          blockSize_(std::max<size_t>(blockSize, 8)),
          buffer_(new uint8_t[blockSize_]) {}

    // [pos, pos + n) with n <= the block size and pos + n <= fileSize.
    const uint8_t* Need(uint64_t pos, size_t n) {
        if (!(pos >= bufferPos_ && pos + n <= bufferPos_ + bufferLength_) && !Fill(pos))
            return nullptr;
        if (pos + n > bufferPos_ + bufferLength_)
            return nullptr;
        return buffer_.get() + (pos - bufferPos_);
    }

    // The buffered part of [pos, end) that starts at pos, at least one byte.
    const uint8_t* Piece(uint64_t pos, uint64_t end, size_t& length) {
        if (!(pos >= bufferPos_ && pos < bufferPos_ + bufferLength_) && !Fill(pos))
            return nullptr;
        length = static_cast<size_t>(std::min(end, bufferPos_ + bufferLength_) - pos);
        return buffer_.get() + (pos - bufferPos_);
    }

    const std::string& Error() const { return error_; }

  private:
    bool Fill(uint64_t pos) {
        if (pos >= fileSize_)
            return Failed("read past the end");
        const size_t want = static_cast<size_t>(std::min<uint64_t>(blockSize_, fileSize_ - pos));
        const int64_t got = file_.ReadAt(pos, buffer_.get(), want);
        if (got < 0)
            return Failed(file_.LastError());
        if (static_cast<uint64_t>(got) != want)
            return Failed("the file became shorter while it was read");
        bufferPos_ = pos;
        bufferLength_ = want;
        return true;
    }
    bool Failed(std::string error) {
        error_ = std::move(error);
        bufferLength_ = 0;
        return false;
    }

    ClipFile& file_;
    uint64_t fileSize_;
    size_t blockSize_;
    std::unique_ptr<uint8_t[]> buffer_;
    uint64_t bufferPos_ = 0;
    size_t bufferLength_ = 0;
    std::string error_;
};

// The idx1 chunk over the entries (and `extra` behind them), or only its
// first `limit` bytes: a check against the start of the index costs what it
// compares, not the whole index.
void AppendIndexChunk(std::vector<uint8_t>& out, const IndexEntry* entries, uint64_t count,
                      const IndexEntry* extra, uint64_t limit = UINT64_MAX) {
    const uint64_t total = count + (extra ? 1 : 0);
    const uint64_t bytes = std::min(limit, 8 + kIndexEntrySize * total);
    const uint64_t shown = std::min(total, (bytes + kIndexEntrySize - 1) / kIndexEntrySize);
    const size_t start = out.size();
    out.resize(start + 8 + kIndexEntrySize * shown);
    uint8_t* p = out.data() + start;
    std::memcpy(p, "idx1", 4);
    StoreLe32(p + 4, static_cast<uint32_t>(kIndexEntrySize * total));
    p += 8;
    auto put = [&p](const IndexEntry& e) {
        std::memcpy(p, "00dc", 4);
        StoreLe32(p + 4, e.flags);
        StoreLe32(p + 8, e.offset);
        StoreLe32(p + 12, e.length);
        p += kIndexEntrySize;
    };
    for (uint64_t i = 0; i < std::min(count, shown); ++i)
        put(entries[i]);
    if (extra && shown == total)
        put(*extra);
    out.resize(start + bytes);
}

// Whether the bytes at `at` are `expected`.
bool ReadsAs(BlockReader& reader, uint64_t at, const std::vector<uint8_t>& expected) {
    for (uint64_t done = 0; done < expected.size();) {
        size_t length = 0;
        const uint8_t* piece = reader.Piece(at + done, at + expected.size(), length);
        if (!piece || std::memcmp(piece, expected.data() + done, length) != 0)
            return false;
        done += length;
    }
    return true;
}

constexpr uint8_t kEmptyJunk[8] = {'J', 'U', 'N', 'K', 0, 0, 0, 0};

// One step of the walk over the movi list: the next video chunk, or the
// reason the walk ends there and where the index then goes.
struct ChunkStep {
    enum class Kind { kChunk, kEnd, kReadError };
    Kind kind = Kind::kChunk;
    uint64_t dataPos = 0;  // kChunk: where its data begins
    uint32_t size = 0;     // kChunk: its data's size
    WalkEnd end = WalkEnd::EndOfFile;
    uint64_t indexPosition = 0;  // kEnd
};

// Walks the chunks of the movi list one at a time, as a RIFF reader does:
// each call returns the next "00dc" chunk, or why the walk stops. It reads
// chunk headers only; the caller reads each chunk's data, then passes it.
class ChunkCursor {
  public:
    using OwnIndexStart = std::function<std::vector<uint8_t>(uint64_t limit)>;

    ChunkCursor(BlockReader& reader, uint64_t fileSize, OwnIndexStart ownIndexStart)
        : reader_(reader), fileSize_(fileSize), ownIndexStart_(std::move(ownIndexStart)) {}

    // `entries`: the index entries a stop here would write, so that our own
    // torn index can be told from a chunk's data.
    ChunkStep Next(uint64_t entries) {
        if (std::exchange(padPending_, false)) {
            // Write the missing pad with the index, so the index lies where
            // a rerun, which then finds the pad, looks for it.
            if (pos_ >= fileSize_)
                return End(WalkEnd::MissingPad, pos_ + 1);
            ++pos_;  // the pad byte, not counted as seen
        }
        const uint64_t left = fileSize_ - pos_;
        if (left < 8) {
            seen_ += left;
            return End(left ? WalkEnd::ShortHeader : WalkEnd::EndOfFile, pos_);
        }
        const uint8_t* header = reader_.Need(pos_, 8);
        if (!header)
            return {ChunkStep::Kind::kReadError};
        seen_ += 8;
        if (!HasFourCc(header, "00dc"))
            return AtForeignChunk();
        const uint32_t size = LoadLe32(header + 4);
        const uint64_t dataPos = pos_ + 8;
        if (fileSize_ - dataPos < size)
            return End(WalkEnd::TornChunk, dataPos);
        // A rerun after a power cut: the torn chunk's claimed data may now be
        // covered by the idx1 chunk that the cut run began to write behind it.
        if (size > 0 && size <= 8 + kIndexEntrySize * entries) {
            const uint8_t* first = reader_.Need(dataPos, 1);
            if (first && *first == 'i' && ReadsAs(reader_, dataPos, ownIndexStart_(size)))
                return End(WalkEnd::OwnIndex, dataPos);
        }
        return {ChunkStep::Kind::kChunk, dataPos, size};
    }

    // Steps over the chunk that Next returned, once its data is read.
    void Pass(const ChunkStep& chunk) {
        seen_ += chunk.size;
        pos_ = chunk.dataPos + chunk.size;
        padPending_ = (chunk.size & 1) != 0;
    }

    // Bytes of the file walked so far, for the progress.
    uint64_t Seen() const { return seen_; }

  private:
    static ChunkStep End(WalkEnd end, uint64_t indexPosition) {
        return {ChunkStep::Kind::kEnd, 0, 0, end, indexPosition};
    }

    // Our own whole index right behind: a rerun after a cut while the torn
    // chunk in front of it was being made an empty JUNK chunk.
    ChunkStep AtForeignChunk() {
        const uint8_t* next = fileSize_ - pos_ >= 12 ? reader_.Need(pos_ + 8, 4) : nullptr;
        if (next && HasFourCc(next, "idx1")) {
            const std::vector<uint8_t> own = ownIndexStart_(UINT64_MAX);
            if (fileSize_ - pos_ - 8 >= own.size() && ReadsAs(reader_, pos_ + 8, own))
                return End(WalkEnd::OwnIndex, pos_ + 8);
        }
        return End(WalkEnd::ForeignChunk, pos_);
    }

    BlockReader& reader_;
    uint64_t fileSize_;
    OwnIndexStart ownIndexStart_;
    uint64_t pos_ = kMoviStart;
    uint64_t seen_ = kHeaderSize;
    bool padPending_ = false;
};

// Hands a chunk's data to the splitter; false when it could not be read
// (`readError` set) or the sink stopped the walk.
bool FeedChunk(BlockReader& reader, NalSplitter& splitter, NalUnitSink& sink,
               const ChunkStep& chunk, bool& readError) {
    const uint64_t end = chunk.dataPos + chunk.size;
    splitter.Begin(chunk.size);
    for (uint64_t at = chunk.dataPos; at < end;) {
        size_t length = 0;
        const uint8_t* piece = reader.Piece(at, end, length);
        if (!piece) {
            readError = true;
            return false;
        }
        if (!splitter.Feed(piece, length, sink))
            return false;
        at += length;
    }
    return splitter.Finish(sink);
}

}  // namespace

// Frame accounting for each NAL unit the splitter finds: a parameter set or a
// new picture closes the frame in progress once it holds a slice; other units
// count toward the frame in progress.
class IndexRebuild::Walker final : public NalUnitSink {
  public:
    explicit Walker(IndexRebuild& r) : r_(r) {}

    bool OnNalUnit(const NalUnitView& u) override {
        const int t = u.head[0] & 0x1F;
        const bool savedKey = r_.detector_.key;
        if (r_.slicePending_ && r_.frameLength_ != 0 && OpensAccessUnit(t)) {
            if (!r_.Emit(r_.detector_.key))
                return false;
            r_.frameLength_ = 0;
            r_.slicePending_ = false;
        }
        const bool newPicture = Examine(u.head, u.headLength, r_.unit_, r_.detector_);
        const bool closes = newPicture && r_.slicePending_;
        if (closes)
            r_.slicePending_ = false;
        if (t >= 1 && t <= 5)
            r_.slicePending_ = true;
        if (closes && r_.frameLength_ > 0) {
            if (!r_.Emit(savedKey))
                return false;
            r_.frameLength_ = 0;
        }
        r_.frameLength_ += u.counted;
        return true;
    }

  private:
    IndexRebuild& r_;
};

IndexRebuild::IndexRebuild(RebuildOptions options) : options_(options) {}

IndexRebuild::~IndexRebuild() {
    std::free(entries_);
}

bool IndexRebuild::Fail(RebuildProblem problem, std::string text) {
    result_.failure = {problem, 0, std::move(text)};
    return false;
}

bool IndexRebuild::Emit(bool key) {
    if (count_ >= capacity_) {
        const uint64_t wanted = capacity_ + kIndexGrowth;
        void* grown = nullptr;
        if (wanted <= options_.maxIndexEntries && wanted <= SIZE_MAX / sizeof(IndexEntry)) {
            grown = std::realloc(entries_, static_cast<size_t>(wanted) * sizeof(IndexEntry));
        }
        if (!grown)
            return Fail(RebuildProblem::IndexFull, "the index could not grow");
        entries_ = static_cast<IndexEntry*>(grown);
        capacity_ = wanted;
    }
    const auto length = static_cast<uint32_t>(frameLength_);
    entries_[count_++] = IndexEntry{key ? kKeyFrameFlag : 0u, chunkOffset_, length};
    chunkOffset_ += length + 8 + (length & 1);  // 32-bit offsets, as the format has them
    return true;
}

const RebuildResult& IndexRebuild::Walk(ClipFile& file, const Header& recorderHeader,
                                        uint64_t fileSize, const PercentCallback& progress) {
    result_ = RebuildResult{};
    count_ = 0;
    chunkOffset_ = kMoviStart;
    frameLength_ = 0;
    slicePending_ = false;
    detector_ = DetectorState{};
    result_.frameRate = RebuildFrameRate(LoadLe32(recorderHeader.data() + kRateOffset));

    if (fileSize >= kFourGiB) {
        Fail(RebuildProblem::TooLarge, "4 GiB or larger: beyond the 32-bit offsets of AVI 1.0");
        return result_;
    }
    if (fileSize < kHeaderSize) {
        Fail(RebuildProblem::ReadError, "shorter than the 224-byte header");
        return result_;
    }
    std::unique_ptr<BlockReader> reader;
    try {
        reader = std::make_unique<BlockReader>(file, fileSize, options_.readBlockSize);
    } catch (const std::bad_alloc&) {
        Fail(RebuildProblem::CannotStart, "out of memory");
        return result_;
    }

    int lastPercent = -1;
    auto report = [&](uint64_t seen) {
        const int percent =
            static_cast<int>(static_cast<double>(seen) / static_cast<double>(fileSize) * 100.0);
        if (percent != lastPercent) {
            lastPercent = percent;
            if (progress)
                progress(percent);
        }
    };

    Walker walker(*this);
    NalSplitter splitter;
    ChunkCursor cursor(*reader, fileSize, [this](uint64_t limit) { return OwnIndexStart(limit); });
    uint64_t indexPosition = 0;
    for (;;) {
        const ChunkStep step = cursor.Next(count_ + (frameLength_ > 0 ? 1 : 0));
        if (step.kind == ChunkStep::Kind::kReadError) {
            Fail(RebuildProblem::ReadError, reader->Error());
            return result_;
        }
        report(cursor.Seen());
        if (step.kind == ChunkStep::Kind::kEnd) {
            result_.end = step.end;
            result_.padByteWritten = step.end == WalkEnd::MissingPad;
            indexPosition = step.indexPosition;
            break;
        }
        bool readError = false;
        if (!FeedChunk(*reader, splitter, walker, step, readError)) {
            if (readError)
                Fail(RebuildProblem::ReadError, reader->Error());
            return result_;  // or the index could not grow
        }
        cursor.Pass(step);
        report(cursor.Seen());
    }
    if (frameLength_ > 0 && !Emit(detector_.key))
        return result_;

    result_.frameCount = static_cast<int32_t>(count_);
    result_.width = static_cast<uint32_t>(detector_.width);
    result_.height = static_cast<uint32_t>(detector_.height);
    result_.indexPosition = indexPosition;
    result_.fileEnd = indexPosition + 8 + kIndexEntrySize * count_;
    if (result_.fileEnd >= kFourGiB) {
        Fail(RebuildProblem::TooLarge, "the rebuilt clip would reach 4 GiB");
    }
    return result_;
}

Header IndexRebuild::NewHeader() const {
    HeaderValues v;
    v.frameCount = static_cast<uint32_t>(result_.frameCount);
    v.frameRate = result_.frameRate;
    v.width = result_.width;
    v.height = result_.height;
    v.indexPosition = static_cast<uint32_t>(result_.indexPosition);
    v.fileEnd = static_cast<uint32_t>(result_.fileEnd);
    return BuildHeader(v);
}

std::vector<uint8_t> IndexRebuild::IndexChunk() const {
    std::vector<uint8_t> out;
    AppendIndexChunk(out, entries_, count_, nullptr);
    return out;
}

std::vector<uint8_t> IndexRebuild::OwnIndexStart(uint64_t limit) const {
    std::vector<uint8_t> own;
    const IndexEntry pending{detector_.key ? kKeyFrameFlag : 0u, chunkOffset_,
                             static_cast<uint32_t>(frameLength_)};
    AppendIndexChunk(own, entries_, count_, frameLength_ > 0 ? &pending : nullptr, limit);
    return own;
}

bool IndexRebuild::WriteIndex(ClipFile& file) {
    if (result_.failure)
        return false;
    std::vector<uint8_t> data;
    try {
        if (result_.padByteWritten)
            data.push_back(0);
        AppendIndexChunk(data, entries_, count_, nullptr);
    } catch (const std::bad_alloc&) {
        return Fail(RebuildProblem::CannotStart, "out of memory");
    }
    const uint64_t at = result_.indexPosition - (result_.padByteWritten ? 1 : 0);
    if (!file.WriteAt(at, data.data(), data.size()) || !file.Sync())
        return Fail(RebuildProblem::WriteError, file.LastError());
    return true;
}

bool IndexRebuild::CloseTornChunk(ClipFile& file) {
    if (result_.failure)
        return false;
    if (result_.end != WalkEnd::TornChunk && result_.end != WalkEnd::OwnIndex)
        return true;
    if (!file.WriteAt(result_.indexPosition - 8, kEmptyJunk, sizeof kEmptyJunk) || !file.Sync())
        return Fail(RebuildProblem::WriteError, file.LastError());
    return true;
}

bool IndexRebuild::WriteHeaderBody(ClipFile& file) {
    if (result_.failure)
        return false;
    const Header h = NewHeader();
    // Everything but the RIFF size (4..7) and dwRate (132..135), which go in
    // the commit: bytes 0..3 and 8..11 keep their values ("RIFF", "AVI ").
    if (!file.WriteAt(0, h.data(), 4) || !file.WriteAt(8, h.data() + 8, kRateOffset - 8) ||
        !file.WriteAt(kCommitEnd, h.data() + kCommitEnd, kHeaderSize - kCommitEnd) ||
        !file.Sync()) {
        return Fail(RebuildProblem::WriteError, file.LastError());
    }
    return true;
}

bool IndexRebuild::Commit(ClipFile& file) {
    if (result_.failure)
        return false;
    const Header h = NewHeader();
    if (!file.WriteSectorAt(kCommitBegin, h.data() + kCommitBegin, kCommitEnd - kCommitBegin) ||
        !file.Sync()) {
        return Fail(RebuildProblem::WriteError, file.LastError());
    }
    return true;
}

RebuildResult RebuildClip(ClipFile& file, const Header& recorderHeader, uint64_t fileSize,
                          const RebuildOptions& options, const PercentCallback& progress) {
    IndexRebuild rebuild(options);
    rebuild.Walk(file, recorderHeader, fileSize, progress);
    if (!rebuild.Result().failure && rebuild.WriteIndex(file) && rebuild.CloseTornChunk(file) &&
        rebuild.WriteHeaderBody(file)) {
        rebuild.Commit(file);
    }
    return rebuild.Result();
}

}  // namespace tramlet::avifix
