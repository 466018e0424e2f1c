// The index and header rebuild, on hand-built clips in memory.
#include <gtest/gtest.h>

#include <algorithm>

#include "avifix/index_rebuild.h"
#include "avifix_support.h"

namespace tramlet::avifix {
namespace {

using test::AnnexB;
using test::AviWriter;
using test::Bytes;
using test::MemoryFile;
using test::MemoryFileData;
using test::Nal;
using test::RecorderHeader;
using test::SimpleStream;
using test::SliceParams;
using test::SliceRbsp;
using test::SpsParams;
using test::SpsRbsp;

struct Clip {
    Bytes bytes;
    std::vector<uint64_t> offsets;
    std::vector<uint32_t> sizes;
};

Clip MakeClip(const std::vector<Bytes>& frames, uint32_t dwRate = 30000) {
    AviWriter w(RecorderHeader(dwRate));
    Clip c;
    for (const Bytes& f : frames) {
        c.offsets.push_back(w.Chunk("00dc", f));
        c.sizes.push_back(static_cast<uint32_t>(f.size()));
    }
    c.bytes = w.Data();
    return c;
}

struct Rebuilt {
    RebuildResult result;
    Bytes bytes;
    std::shared_ptr<MemoryFileData> data;
};

Rebuilt Rebuild(const Bytes& in, RebuildOptions options = {},
                std::vector<int>* progress = nullptr) {
    auto data = std::make_shared<MemoryFileData>();
    data->bytes = in;
    MemoryFile file(data);
    Header h{};
    std::copy(in.begin(), in.begin() + kHeaderSize, h.begin());
    Rebuilt r;
    r.result = RebuildClip(file, h, in.size(), options, [progress](int p) {
        if (progress)
            progress->push_back(p);
    });
    r.bytes = data->bytes;
    r.data = data;
    return r;
}

uint32_t At(const Bytes& b, uint64_t offset) {
    return LoadLe32(b.data() + offset);
}

std::vector<IndexEntry> ReadIndex(const Bytes& b, uint64_t at) {
    EXPECT_EQ(std::string(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at) + 4),
              "idx1");
    const uint32_t size = At(b, at + 4);
    EXPECT_EQ(size % 16, 0u);
    std::vector<IndexEntry> out;
    for (uint64_t p = at + 8; p < at + 8 + size; p += 16) {
        EXPECT_EQ(
            std::string(b.begin() + static_cast<long>(p), b.begin() + static_cast<long>(p) + 4),
            "00dc");
        out.push_back(IndexEntry{At(b, p + 4), At(b, p + 8), At(b, p + 12)});
    }
    return out;
}

void ExpectEntriesAreChunks(const Clip& c, const Rebuilt& r) {
    const auto entries = ReadIndex(r.bytes, r.result.indexPosition);
    ASSERT_EQ(entries.size(), c.offsets.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].offset, c.offsets[i]) << i;
        EXPECT_EQ(entries[i].length, c.sizes[i]) << i;
    }
}

TEST(Rebuild, OneFramePerChunkGivesOneEntryPerChunk) {
    const Clip c = MakeClip(SimpleStream(30, 10));
    const Rebuilt r = Rebuild(c.bytes);
    ASSERT_FALSE(r.result.failure) << r.result.failure->text;
    EXPECT_EQ(r.result.end, WalkEnd::EndOfFile);
    EXPECT_EQ(r.result.frameCount, 30);
    EXPECT_EQ(r.result.indexPosition, c.bytes.size());
    ExpectEntriesAreChunks(c, r);
    const auto entries = ReadIndex(r.bytes, r.result.indexPosition);
    EXPECT_EQ(entries[0].offset, 224u);
    for (size_t i = 0; i < entries.size(); ++i)
        EXPECT_EQ(entries[i].flags, i % 10 == 0 ? 0x10u : 0u) << i;
    EXPECT_EQ(At(r.bytes, 48), 30u);   // dwTotalFrames
    EXPECT_EQ(At(r.bytes, 140), 30u);  // dwLength
    EXPECT_EQ(At(r.bytes, 4), r.bytes.size() - 8);
    EXPECT_EQ(At(r.bytes, 216), r.result.indexPosition - 224 + 4);
    EXPECT_EQ(r.bytes.size(), c.bytes.size() + 8 + 16 * 30);
}

TEST(Rebuild, FramesOfOddLengthStepOverThePadByte) {
    const Clip c = MakeClip(SimpleStream(40, 8));
    ASSERT_TRUE(std::any_of(c.sizes.begin(), c.sizes.end(), [](uint32_t s) { return s & 1; }));
    ASSERT_TRUE(std::any_of(c.sizes.begin(), c.sizes.end(), [](uint32_t s) { return !(s & 1); }));
    ExpectEntriesAreChunks(c, Rebuild(c.bytes));
}

TEST(Rebuild, FourByteStartCodesKeepEntriesOnTheirChunks) {
    const Clip c = MakeClip(SimpleStream(25, 5, /*fourByte=*/true));
    const Rebuilt r = Rebuild(c.bytes);
    ASSERT_FALSE(r.result.failure) << r.result.failure->text;
    ExpectEntriesAreChunks(c, r);
}

TEST(Rebuild, ManySlicesPerPictureGiveOneEntryPerChunk) {
    SpsParams sps;
    std::vector<Bytes> frames;
    for (int f = 0; f < 12; ++f) {
        std::vector<Bytes> units;
        if (f == 0)
            units = {Nal(7, SpsRbsp(sps)), Nal(8, {0xCE})};
        for (int s = 0; s < 4; ++s) {
            SliceParams p;
            p.nalType = f == 0 ? 5 : 1;
            p.sliceType = f == 0 ? 7 : 5;
            p.frameNum = f;
            p.pocLsb = 2 * f;
            p.firstMb = s * 75;
            p.seed = static_cast<uint32_t>(f * 10 + s);
            units.push_back(Nal(p.nalType, SliceRbsp(p, sps)));
        }
        frames.push_back(AnnexB(units, f % 2 == 1));
    }
    const Clip c = MakeClip(frames);
    const Rebuilt r = Rebuild(c.bytes);
    ExpectEntriesAreChunks(c, r);
    const auto entries = ReadIndex(r.bytes, r.result.indexPosition);
    EXPECT_EQ(entries[0].flags, 0x10u);
    EXPECT_EQ(entries[1].flags, 0u);
}

TEST(Rebuild, AClipWithNoWholeChunk) {
    const Header recorder = RecorderHeader();
    const Bytes header(recorder.begin(), recorder.end());
    const Rebuilt r = Rebuild(header);
    ASSERT_FALSE(r.result.failure) << r.result.failure->text;
    EXPECT_EQ(r.result.indexPosition, 224u);
    EXPECT_TRUE(ReadIndex(r.bytes, 224).empty());
    EXPECT_EQ(At(r.bytes, 228), 0u);
    EXPECT_EQ(At(r.bytes, 4), 224u);  // RIFF size
    EXPECT_EQ(At(r.bytes, 216), 4u);  // movi list size
    EXPECT_EQ(At(r.bytes, 48), 0u);   // dwTotalFrames
    EXPECT_EQ(At(r.bytes, 64), 0u);   // no SPS: 0 x 0
    EXPECT_EQ(At(r.bytes, 68), 0u);
    EXPECT_EQ(r.bytes.size(), 232u);
}

TEST(Rebuild, ATornLastChunkBecomesAnEmptyJunkChunkInFrontOfTheIndex) {
    Clip c = MakeClip(SimpleStream(6, 3));
    AviWriter w(RecorderHeader());
    const uint64_t torn = c.bytes.size();
    Bytes tail{'0', '0', 'd', 'c',  0x00, 0x10, 0x00, 0x00,
               0,   0,   1,   0x41, 9,    9,    9};  // claims 4096 bytes
    c.bytes.insert(c.bytes.end(), tail.begin(), tail.end());
    const Rebuilt r = Rebuild(c.bytes);
    ASSERT_FALSE(r.result.failure) << r.result.failure->text;
    EXPECT_EQ(r.result.end, WalkEnd::TornChunk);
    EXPECT_EQ(r.result.indexPosition, torn + 8);
    const Bytes junk{'J', 'U', 'N', 'K', 0, 0, 0, 0};
    EXPECT_TRUE(std::equal(junk.begin(), junk.end(), r.bytes.begin() + static_cast<long>(torn)));
    EXPECT_EQ(r.result.frameCount, 6);
    EXPECT_EQ(At(r.bytes, 216), torn + 8 - 224 + 4);  // the empty chunk stays inside movi
    ExpectEntriesAreChunks(c, r);
}

TEST(Rebuild, AForeignChunkIsOverwrittenByTheIndex) {
    Clip c = MakeClip(SimpleStream(5, 5));
    const uint64_t foreign = c.bytes.size();
    AviWriter w(RecorderHeader());
    w.Chunk("01wb", Bytes(1000, 0x77));
    c.bytes.insert(c.bytes.end(), w.Data().begin() + 224, w.Data().end());
    const Rebuilt r = Rebuild(c.bytes);
    EXPECT_EQ(r.result.end, WalkEnd::ForeignChunk);
    EXPECT_EQ(r.result.indexPosition, foreign);
    ExpectEntriesAreChunks(c, r);
    // Bytes beyond the index stay, outside the RIFF chunk; the file keeps its size.
    EXPECT_EQ(r.bytes.size(), c.bytes.size());
    EXPECT_EQ(At(r.bytes, 4) + 8, foreign + 8 + 16 * 5);
    EXPECT_TRUE(std::equal(r.bytes.begin() + static_cast<long>(foreign + 8 + 80), r.bytes.end(),
                           c.bytes.begin() + static_cast<long>(foreign + 8 + 80)));
}

TEST(Rebuild, ParameterSetsCloseTheFrameAndKeyFlagsFollowTheSlices) {
    const Clip c = MakeClip(SimpleStream(9, 100));
    const Rebuilt r = Rebuild(c.bytes);
    const auto entries = ReadIndex(r.bytes, r.result.indexPosition);
    ASSERT_EQ(entries.size(), 9u);
    EXPECT_EQ(entries[0].flags, 0x10u);
    for (size_t i = 1; i < entries.size(); ++i)
        EXPECT_EQ(entries[i].flags, 0u);
}

TEST(Rebuild, DelimitersAndSeiInFrontOfTheFirstSliceOpenTheNewFrame) {
    // With one frame per chunk, every entry must be its chunk.
    SpsParams sps;
    const Bytes aud = Nal(9, {0xF0});
    const Bytes sei = Nal(6, {0x05, 0x02, 0xAA, 0xBB, 0x80});
    std::vector<Bytes> frames;
    for (int f = 0; f < 4; ++f) {
        SliceParams p;
        p.nalType = f == 0 ? 5 : 1;
        p.sliceType = f == 0 ? 7 : 5;
        p.frameNum = f;
        p.pocLsb = 2 * f;
        std::vector<Bytes> units{aud, sei};
        if (f == 0)
            units.insert(units.end(), {Nal(7, SpsRbsp(sps)), Nal(8, {0xCE})});
        units.push_back(Nal(p.nalType, SliceRbsp(p, sps)));
        frames.push_back(AnnexB(units));
    }
    const Clip c = MakeClip(frames);
    const Rebuilt r = Rebuild(c.bytes);
    const auto entries = ReadIndex(r.bytes, r.result.indexPosition);
    ASSERT_EQ(entries.size(), 4u);
    for (size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].offset, c.offsets[i]) << "frame " << i;
        EXPECT_EQ(entries[i].length, c.sizes[i]) << "frame " << i;
    }
    EXPECT_EQ(entries[0].flags, 0x10u);
    EXPECT_EQ(entries[1].flags, 0u);
}

TEST(Rebuild, FrameRateFromDwRate) {
    const Clip zero = MakeClip(SimpleStream(3), 0);
    Rebuilt r = Rebuild(zero.bytes);
    EXPECT_EQ(r.result.frameRate, 30.0f);
    EXPECT_EQ(At(r.bytes, 32), 33333u);
    EXPECT_EQ(At(r.bytes, 132), 30000u);
    EXPECT_EQ(At(r.bytes, 128), 1000u);  // dwScale

    const Clip ntsc = MakeClip(SimpleStream(3), 29970);
    r = Rebuild(ntsc.bytes);
    EXPECT_EQ(r.result.frameRate, 29.97f);
    EXPECT_EQ(At(r.bytes, 32), 33366u);
    EXPECT_EQ(At(r.bytes, 132), 29969u);
}

TEST(Rebuild, PictureSizeFromTheSps) {
    SpsParams sps;
    sps.widthMbsMinus1 = 119;
    sps.heightMapUnitsMinus1 = 67;
    const Clip c = MakeClip(SimpleStream(2, 10, false, 3, sps));
    const Rebuilt r = Rebuild(c.bytes);
    EXPECT_EQ(At(r.bytes, 64), 1920u);
    EXPECT_EQ(At(r.bytes, 68), 1088u);
    EXPECT_EQ(At(r.bytes, 176), 1920u);
    EXPECT_EQ(At(r.bytes, 180), 1088u);
    EXPECT_EQ(At(r.bytes, 152), 2088960u);  // dwSampleSize
    EXPECT_EQ(At(r.bytes, 192), 2088960u);  // biSizeImage
    EXPECT_EQ(r.bytes[160] | r.bytes[161] << 8, 1920);
    EXPECT_EQ(r.bytes[162] | r.bytes[163] << 8, 1088);
}

TEST(Rebuild, HeaderHasTheSingleStreamLayout) {
    const Clip c = MakeClip(SimpleStream(3));
    const Bytes b = Rebuild(c.bytes).bytes;
    const std::pair<uint64_t, const char*> ids[] = {
        {0, "RIFF"},   {8, "AVI "},   {12, "LIST"},  {20, "hdrl"},  {24, "avih"},
        {88, "LIST"},  {96, "strl"},  {100, "strh"}, {108, "vids"}, {112, "H264"},
        {164, "strf"}, {188, "H264"}, {212, "LIST"}, {220, "movi"}};
    for (const auto& [at, id] : ids) {
        EXPECT_EQ(
            std::string(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at) + 4),
            id)
            << at;
    }
    const std::pair<uint64_t, uint32_t> values[] = {
        {16, 192}, {28, 56},        {44, 0x910}, {56, 1},   {60, 0x100000}, {92, 116},
        {104, 56}, {144, 0x100000}, {148, ~0u},  {168, 40}, {172, 40},      {184, 0x180001}};
    for (const auto& [at, value] : values)
        EXPECT_EQ(At(b, at), value) << at;
}

TEST(Rebuild, ChunksLargerThanTheBufferAreReadInPieces) {
    // Key frames of a megabyte and more, with start codes at every piece boundary.
    SpsParams sps;
    std::vector<Bytes> frames;
    for (int f = 0; f < 4; ++f) {
        SliceParams p;
        p.nalType = f % 2 == 0 ? 5 : 1;
        p.sliceType = f % 2 == 0 ? 7 : 5;
        p.frameNum = f % 2;
        p.pocLsb = 2 * (f % 2);
        p.idrPicId = f / 2;
        p.bodyBytes = 400000 + static_cast<size_t>(f) * 111111;
        p.seed = static_cast<uint32_t>(f + 1);
        std::vector<Bytes> units;
        if (f % 2 == 0)
            units = {Nal(7, SpsRbsp(sps)), Nal(8, {0xCE})};
        for (int s = 0; s < 3; ++s) {
            p.firstMb = s * 10;
            units.push_back(Nal(p.nalType, SliceRbsp(p, sps)));
        }
        frames.push_back(AnnexB(units, f == 1));
    }
    const Clip c = MakeClip(frames);
    ASSERT_GT(c.sizes[0], kChunkBufferSize);
    const Rebuilt whole = Rebuild(c.bytes, RebuildOptions{size_t{64} << 20});
    ASSERT_FALSE(whole.result.failure) << whole.result.failure->text;
    ExpectEntriesAreChunks(c, whole);
    for (size_t block :
         {size_t{8}, size_t{9}, size_t{4093}, size_t{kChunkBufferSize}, size_t{1} << 20}) {
        const Rebuilt pieces = Rebuild(c.bytes, RebuildOptions{block});
        EXPECT_EQ(pieces.bytes, whole.bytes) << block;
    }
}

TEST(Rebuild, SmallReadBlocksGiveTheSameResultOnEveryShape) {
    Clip c = MakeClip(SimpleStream(12, 4, true, 11));
    c.bytes.insert(c.bytes.end(), {'0', '0', 'd', 'c', 9, 0, 0, 0, 0, 0, 1});
    const Rebuilt whole = Rebuild(c.bytes);
    for (size_t block = 8; block < 40; ++block) {
        ASSERT_EQ(Rebuild(c.bytes, RebuildOptions{block}).bytes, whole.bytes) << block;
    }
}

TEST(Rebuild, IndexGrowthFailureWritesNothing) {
    const Clip c = MakeClip(SimpleStream(1500, 30));
    RebuildOptions options;
    options.maxIndexEntries = 1000;
    const Rebuilt r = Rebuild(c.bytes, options);
    EXPECT_EQ(r.result.failure.value().kind, RebuildProblem::IndexFull);
    EXPECT_EQ(r.bytes, c.bytes);
    options.maxIndexEntries = 2000;
    EXPECT_EQ(Rebuild(c.bytes, options).result.frameCount, 1500);
}

TEST(Rebuild, FilesOf4GiBAreLeftUntouched) {
    auto data = std::make_shared<MemoryFileData>();
    const Clip c = MakeClip(SimpleStream(3));
    data->bytes = c.bytes;
    data->virtualSize = uint64_t{1} << 32;
    MemoryFile file(data);
    Header h{};
    std::copy(c.bytes.begin(), c.bytes.begin() + 224, h.begin());
    const RebuildResult r = RebuildClip(file, h, data->virtualSize);
    EXPECT_EQ(r.failure.value().kind, RebuildProblem::TooLarge);
    EXPECT_EQ(data->bytes, c.bytes);
    EXPECT_EQ(data->maxReadEnd, 0u);
}

TEST(Rebuild, NothingIsReadPastTheEndWhateverTheSizesClaim) {
    for (uint32_t claim : {0xFFFFFFFFu, 0xFFFFFFF0u, 0x80000000u, 5000u}) {
        Clip c = MakeClip(SimpleStream(3));
        Bytes h{'0', '0', 'd', 'c', 0, 0, 0, 0, 0, 0, 1, 0x65, 1, 2, 3};
        StoreLe32(h.data() + 4, claim);
        c.bytes.insert(c.bytes.end(), h.begin(), h.end());
        const Rebuilt r = Rebuild(c.bytes);
        EXPECT_FALSE(r.result.failure) << r.result.failure->text;
        EXPECT_EQ(r.result.end, WalkEnd::TornChunk);
        EXPECT_LE(r.data->maxReadEnd, c.bytes.size());
        EXPECT_FALSE(r.data->badWrite);
    }
}

TEST(Rebuild, AShortHeaderAtTheEndIsWrittenOver) {
    Clip c = MakeClip(SimpleStream(3));
    const uint64_t end = c.bytes.size();
    c.bytes.insert(c.bytes.end(), {'0', '0', 'd', 'c', 0x10});
    const Rebuilt r = Rebuild(c.bytes);
    EXPECT_EQ(r.result.end, WalkEnd::ShortHeader);
    EXPECT_EQ(r.result.indexPosition, end);
    ExpectEntriesAreChunks(c, r);
}

TEST(Rebuild, AMissingPadByteIsWrittenWithTheIndex) {
    std::vector<Bytes> frames = SimpleStream(4);
    if (frames.back().size() % 2 == 0)
        frames.back().push_back(0x80);
    AviWriter w(RecorderHeader());
    Clip c;
    for (const Bytes& f : frames) {
        c.offsets.push_back(w.Chunk("00dc", f, /*pad=*/false));
        c.sizes.push_back(static_cast<uint32_t>(f.size()));
    }
    c.bytes = w.Data();
    // Only the last chunk lacks its pad: give the others theirs.
    c = MakeClip(frames);
    c.bytes.pop_back();
    ASSERT_EQ(c.bytes.size() % 2, 1u);
    const Rebuilt r = Rebuild(c.bytes);
    EXPECT_EQ(r.result.end, WalkEnd::MissingPad);
    EXPECT_EQ(r.result.indexPosition, c.bytes.size() + 1);
    EXPECT_EQ(r.bytes[c.bytes.size()], 0);
    ExpectEntriesAreChunks(c, r);
}

TEST(Rebuild, ProgressRisesToTheShareRead) {
    const Clip c = MakeClip(SimpleStream(50));
    std::vector<int> progress;
    Rebuild(c.bytes, {}, &progress);
    ASSERT_FALSE(progress.empty());
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(std::adjacent_find(progress.begin(), progress.end()),
              progress.end());  // only changes
    EXPECT_GE(progress.back(), 95);
    EXPECT_LE(progress.back(), 100);
}

TEST(Rebuild, WalkWritesNothingAndCommitFinishesTheClip) {
    const Clip c = MakeClip(SimpleStream(5));
    auto data = std::make_shared<MemoryFileData>();
    data->bytes = c.bytes;
    MemoryFile file(data);
    Header h{};
    std::copy(c.bytes.begin(), c.bytes.begin() + 224, h.begin());
    IndexRebuild rebuild;
    rebuild.Walk(file, h, c.bytes.size());
    EXPECT_EQ(data->bytes, c.bytes);
    ASSERT_TRUE(rebuild.WriteIndex(file) && rebuild.CloseTornChunk(file) &&
                rebuild.WriteHeaderBody(file));
    // Still unclosed, and dwRate is the recorder's.
    EXPECT_EQ(At(data->bytes, 4), 0xFFFFFFFFu);
    EXPECT_EQ(At(data->bytes, 132), 30000u);
    EXPECT_EQ(At(data->bytes, 48), 5u);
    ASSERT_TRUE(rebuild.Commit(file));
    EXPECT_EQ(At(data->bytes, 4), data->bytes.size() - 8);
    const Header expect = rebuild.NewHeader();
    EXPECT_TRUE(std::equal(expect.begin(), expect.end(), data->bytes.begin()));
}

TEST(HeaderMath, DurationIsTruncatedSinglePrecision) {
    EXPECT_EQ(ClipDuration(1800, RebuildFrameRate(30000)), 60);
    EXPECT_EQ(ClipDuration(1799, RebuildFrameRate(30000)), 59);
    EXPECT_EQ(ClipDuration(1799, RebuildFrameRate(29970)), 60);
    EXPECT_EQ(ClipDuration(29, 29.97f), 0);
    EXPECT_EQ(ClipDuration(100, 0.0f), 0);
    EXPECT_EQ(ClipDuration(-60, 30.0f), -2);
    EXPECT_EQ(ClipDuration(2000000000, 0.001f), 2147483647);
}

}  // namespace
}  // namespace tramlet::avifix
