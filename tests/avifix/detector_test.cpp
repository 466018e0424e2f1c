// The H.264 frame detector, on hand-built units.
#include <gtest/gtest.h>

#include "avifix/h264_detector.h"
#include "avifix_support.h"

namespace tramlet::avifix {
namespace {

using test::BitWriter;
using test::Bytes;
using test::Nal;
using test::SliceParams;
using test::SliceRbsp;
using test::SpsParams;
using test::SpsRbsp;

bool Feed(const Bytes& unit, DetectorState& state) {
    NalUnit nal;
    return Examine(unit.data(), unit.size(), nal, state);
}

Bytes Payload(const NalUnit& u) {
    return Bytes(u.payload, u.payload + u.payloadLength);
}

// ---- unescaping ---------------------------------------------------------------

TEST(Unescape, DropsTheEmulationPreventionByte) {
    NalUnit u;
    const Bytes b{0x41, 0xAA, 0x00, 0x00, 0x03, 0x01, 0xBB};
    Unescape(b.data(), b.size(), u);
    EXPECT_EQ(Payload(u), (Bytes{0xAA, 0x00, 0x00, 0x01, 0xBB}));
}

TEST(Unescape, KeepsAnEscapeThatBeginsInTheLastThreeBytes) {
    NalUnit u;
    // 00 00 03 at i = L - 3: copied unchanged.
    const Bytes b{0x41, 0xAA, 0x00, 0x00, 0x03};
    Unescape(b.data(), b.size(), u);
    EXPECT_EQ(Payload(u), (Bytes{0xAA, 0x00, 0x00, 0x03}));
    // At i = L - 4 it is dropped.
    const Bytes c{0x41, 0x00, 0x00, 0x03, 0x07};
    Unescape(c.data(), c.size(), u);
    EXPECT_EQ(Payload(u), (Bytes{0x00, 0x00, 0x07}));
}

TEST(Unescape, ContinuesBehindTheDroppedByte) {
    NalUnit u;
    const Bytes b{0x41, 0x00, 0x00, 0x03, 0x00, 0x00, 0x03, 0x00, 0x03, 0x02, 0x09};
    Unescape(b.data(), b.size(), u);
    // The second 00 00 03 follows right behind the first; 00 03 alone stays.
    EXPECT_EQ(Payload(u), (Bytes{0x00, 0x00, 0x00, 0x00, 0x00, 0x03, 0x02, 0x09}));
}

TEST(Unescape, TheHeaderByteNeverStartsAnEscape) {
    NalUnit u;
    const Bytes b{0x00, 0x00, 0x03, 0x05, 0x06};  // header byte 00, then 00 03 ...
    Unescape(b.data(), b.size(), u);
    EXPECT_EQ(Payload(u), (Bytes{0x00, 0x03, 0x05, 0x06}));
}

TEST(Unescape, OnlyTheFirst2048BytesAreUsed) {
    Bytes b(5000, 0x55);
    b[0] = 0x41;
    NalUnit u;
    Unescape(b.data(), b.size(), u);
    EXPECT_EQ(u.payloadLength, 2047);
}

TEST(Unescape, AgreesWithAByteByByteReading) {
    // The rule read literally, on many random units full of zeros and threes.
    uint32_t x = 99;
    for (int round = 0; round < 3000; ++round) {
        Bytes b(1 + round % 60);
        for (auto& v : b) {
            x = x * 1103515245u + 12345u;
            const uint32_t r = (x >> 16) % 8;
            v = r < 4 ? 0 : r < 6 ? 3 : static_cast<uint8_t>(x >> 8);
        }
        Bytes expect;
        const size_t L = b.size();
        for (size_t i = 1; i < L;) {
            if (i + 3 < L && b[i] == 0 && b[i + 1] == 0 && b[i + 2] == 3) {
                expect.insert(expect.end(), {0, 0});
                i += 3;
            } else {
                expect.push_back(b[i++]);
            }
        }
        NalUnit u;
        Unescape(b.data(), b.size(), u);
        ASSERT_EQ(Payload(u), expect) << "round " << round;
    }
}

// ---- the bit reader -------------------------------------------------------------

TEST(BitReader, ReadsMostSignificantBitFirst) {
    const Bytes b{0xA5, 0x0F};
    BitReader in(b.data(), b.size());
    EXPECT_EQ(in.U(3), 5u);  // 101
    EXPECT_EQ(in.U(5), 5u);  // 00101
    EXPECT_EQ(in.U(0), 0u);
    EXPECT_EQ(in.U(8), 15u);
}

TEST(BitReader, AReadReachingTheEndFillsTheMissingLowBitsWithZeros) {
    const Bytes b{0xFF};
    BitReader in(b.data(), b.size());
    EXPECT_EQ(in.U(4), 0xFu);
    EXPECT_EQ(in.U(8), 0xF0u);  // four bits read keep their places
    EXPECT_EQ(in.U(8), 0u);
    EXPECT_EQ(in.Ue(), 0u);  // at the end ue() returns 0
}

TEST(BitReader, ExpGolombCodes) {
    BitWriter w;
    for (uint64_t v : {0u, 1u, 2u, 3u, 7u, 254u, 65535u})
        w.Ue(v);
    const Bytes b = w.Take();
    BitReader in(b.data(), b.size());
    for (uint32_t v : {0u, 1u, 2u, 3u, 7u, 254u, 65535u})
        EXPECT_EQ(in.Ue(), v);
}

TEST(BitReader, UeCountingStopsAtTheEndOfThePayload) {
    const Bytes b{0x00};  // eight zeros, then the end
    BitReader in(b.data(), b.size());
    EXPECT_EQ(in.Ue(), 255u);  // u(8) = 0 past the end, + 2^8 - 1
}

TEST(BitReader, UeCountingStopsAt32Zeros) {
    const Bytes b{0, 0, 0, 0, 0x80, 0, 0, 1};
    BitReader in(b.data(), b.size());
    // 32 zeros, then u(32) = 0x80000001; + 2^32 - 1 wraps to 0x80000000.
    EXPECT_EQ(in.Ue(), 0x80000000u);
    EXPECT_EQ(in.BitPosition(), 64u);
}

TEST(BitReader, SkipMovesPastTheEndWithoutChecking) {
    const Bytes b{0xFF, 0xFF};
    BitReader in(b.data(), b.size());
    in.Skip(20);
    EXPECT_EQ(in.U(4), 0u);
    EXPECT_EQ(in.Ue(), 0u);
}

TEST(BitReader, WideReadsKeepTheLow32Bits) {
    const Bytes b{0x12, 0x34, 0x56, 0x78, 0x9A};
    BitReader in(b.data(), b.size());
    EXPECT_EQ(in.U(40), 0x3456789Au);
    BitReader again(b.data(), b.size());
    EXPECT_EQ(again.U(1000), 0u);  // the bits all shift out
}

TEST(Sps, PictureSizeFrameCoded) {
    SpsParams p;
    p.widthMbsMinus1 = 119;
    p.heightMapUnitsMinus1 = 67;
    p.frameMbsOnly = true;
    DetectorState s;
    EXPECT_TRUE(Feed(Nal(7, SpsRbsp(p)), s));
    EXPECT_EQ(s.width, 1920);
    EXPECT_EQ(s.height, 1088);
}

TEST(Sps, PictureSizeFieldCoded) {
    SpsParams p;
    p.widthMbsMinus1 = 119;
    p.heightMapUnitsMinus1 = 33;
    p.frameMbsOnly = false;
    DetectorState s;
    Feed(Nal(7, SpsRbsp(p)), s);
    EXPECT_EQ(s.width, 1920);
    EXPECT_EQ(s.height, 1088);
}

TEST(Sps, FieldsForTheSliceHeader) {
    SpsParams p;
    p.log2MaxFrameNum = 9;
    p.pocType = 0;
    p.log2MaxPocLsb = 7;
    DetectorState s;
    Feed(Nal(7, SpsRbsp(p)), s);
    EXPECT_EQ(s.log2MaxFrameNum, 9);
    EXPECT_EQ(s.pocType, 0);
    EXPECT_EQ(s.log2MaxPocLsb, 7);
    EXPECT_FALSE(s.highProfile);
}

TEST(Sps, PocType1SkipsTheCycleAndReadsTheSize) {
    SpsParams p;
    p.pocType = 1;
    p.pocCycle = {5, -3, 7};
    p.widthMbsMinus1 = 79;
    p.heightMapUnitsMinus1 = 44;
    DetectorState s;
    s.log2MaxPocLsb = 11;  // left as it was: only poc type 0 sets it
    Feed(Nal(7, SpsRbsp(p)), s);
    EXPECT_EQ(s.pocType, 1);
    EXPECT_EQ(s.log2MaxPocLsb, 11);
    EXPECT_EQ(s.width, 1280);
    EXPECT_EQ(s.height, 720);
}

TEST(Sps, HighProfileWithScalingListsReadsTheSize) {
    SpsParams p;
    p.profile = 100;
    p.scalingMatrix = true;
    p.widthMbsMinus1 = 43;
    p.heightMapUnitsMinus1 = 35;
    DetectorState s;
    Feed(Nal(7, SpsRbsp(p)), s);
    EXPECT_TRUE(s.highProfile);
    EXPECT_EQ(s.width, 704);
    EXPECT_EQ(s.height, 576);
}

TEST(Sps, HighProfileFlagStaysForLaterParameterSets) {
    SpsParams high;
    high.profile = 100;
    SpsParams base;
    DetectorState s;
    Feed(Nal(7, SpsRbsp(high)), s);
    Feed(Nal(7, SpsRbsp(base)), s);
    EXPECT_TRUE(s.highProfile);
    // An I slice in a type-1 unit is then a key frame.
    SliceParams i;
    i.nalType = 1;
    i.sliceType = 2;
    Feed(Nal(1, SliceRbsp(i, base)), s);
    EXPECT_TRUE(s.key);
}

TEST(Sps, AnEmptySpsReadsZerosEverywhere) {
    DetectorState s;
    s.width = 5;
    EXPECT_TRUE(Feed(Bytes{0x67}, s));  // header byte only: payload length 0
    EXPECT_EQ(s.width, 16);             // (ue() + 1) * 16 with ue() = 0
    EXPECT_EQ(s.height, 32);            // frame_mbs_only reads 0
    EXPECT_EQ(s.log2MaxFrameNum, 4);
}

// ---- slices -------------------------------------------------------------------

TEST(Slice, BaselineKeyFramesNeedAnIdrUnit) {
    SpsParams p;
    DetectorState s;
    Feed(Nal(7, SpsRbsp(p)), s);
    SliceParams idr;
    idr.nalType = 5;
    idr.sliceType = 7;
    Feed(Nal(5, SliceRbsp(idr, p)), s);
    EXPECT_TRUE(s.key);
    SliceParams nonIdr;
    nonIdr.nalType = 1;
    nonIdr.sliceType = 2;
    nonIdr.frameNum = 1;
    Feed(Nal(1, SliceRbsp(nonIdr, p)), s);
    EXPECT_FALSE(s.key);
}

TEST(Slice, SliceTypeFiveClearsTheKeyAndTwelveLeavesIt) {
    SpsParams p;
    DetectorState s;
    Feed(Nal(7, SpsRbsp(p)), s);
    SliceParams idr;
    idr.nalType = 5;
    idr.sliceType = 2;
    Feed(Nal(5, SliceRbsp(idr, p)), s);
    ASSERT_TRUE(s.key);
    SliceParams odd;
    odd.nalType = 5;
    odd.sliceType = 12;
    Feed(Nal(5, SliceRbsp(odd, p)), s);
    EXPECT_TRUE(s.key);
    SliceParams pSlice;
    pSlice.nalType = 1;
    pSlice.sliceType = 5;
    Feed(Nal(1, SliceRbsp(pSlice, p)), s);
    EXPECT_FALSE(s.key);
}

TEST(Slice, SiSlicesCountAsIntra) {
    SpsParams p;
    DetectorState s;
    Feed(Nal(7, SpsRbsp(p)), s);
    for (int t : {2, 4, 7, 9}) {
        SliceParams idr;
        idr.nalType = 5;
        idr.sliceType = t;
        s.key = false;
        Feed(Nal(5, SliceRbsp(idr, p)), s);
        EXPECT_TRUE(s.key) << t;
    }
    for (int t : {0, 1, 3, 5, 6, 8}) {
        SliceParams idr;
        idr.nalType = 5;
        idr.sliceType = t;
        s.key = true;
        Feed(Nal(5, SliceRbsp(idr, p)), s);
        EXPECT_FALSE(s.key) << t;
    }
}

TEST(Slice, AChangedFrameNumStartsANewPicture) {
    SpsParams p;
    DetectorState s;
    Feed(Nal(7, SpsRbsp(p)), s);
    SliceParams a;
    a.frameNum = 3;
    a.pocLsb = 6;
    EXPECT_TRUE(Feed(Nal(1, SliceRbsp(a, p)), s));
    EXPECT_EQ(s.frameNum, 3);
    SliceParams second = a;
    second.firstMb = 40;
    EXPECT_FALSE(Feed(Nal(1, SliceRbsp(second, p)), s));  // second slice of the same picture
    SliceParams b = a;
    b.frameNum = 4;
    EXPECT_TRUE(Feed(Nal(1, SliceRbsp(b, p)), s));
}

TEST(Slice, AChangedPocLsbStartsANewPicture) {
    SpsParams p;
    DetectorState s;
    Feed(Nal(7, SpsRbsp(p)), s);
    SliceParams a;
    a.frameNum = 2;
    a.pocLsb = 4;
    Feed(Nal(1, SliceRbsp(a, p)), s);
    SliceParams b = a;
    b.pocLsb = 8;
    EXPECT_TRUE(Feed(Nal(1, SliceRbsp(b, p)), s));
    EXPECT_EQ(s.pocLsb, 8);
}

TEST(Slice, PocLsbIsNotReadForOtherPocTypes) {
    SpsParams p;
    p.pocType = 2;
    DetectorState s;
    Feed(Nal(7, SpsRbsp(p)), s);
    SliceParams a;
    a.frameNum = 1;
    Feed(Nal(1, SliceRbsp(a, p)), s);
    SliceParams b = a;
    b.seed = 99;  // different slice data right behind frame_num
    EXPECT_FALSE(Feed(Nal(1, SliceRbsp(b, p)), s));
}

TEST(Slice, BackToBackIdrPicturesDifferInIdrPicId) {
    SpsParams p;
    DetectorState s;
    Feed(Nal(7, SpsRbsp(p)), s);
    SliceParams first;
    first.nalType = 5;
    first.sliceType = 7;
    first.idrPicId = 0;
    Feed(Nal(5, SliceRbsp(first, p)), s);
    SliceParams second = first;
    second.idrPicId = 1;
    EXPECT_TRUE(Feed(Nal(5, SliceRbsp(second, p)), s));
    EXPECT_EQ(s.idrPicId, 1);
}

TEST(Slice, IdrPicIdIsComparedOnlyRightAfterAnIdrUnit) {
    SpsParams p;
    DetectorState s;
    Feed(Nal(7, SpsRbsp(p)), s);
    SliceParams first;
    first.nalType = 5;
    first.sliceType = 7;
    Feed(Nal(5, SliceRbsp(first, p)), s);
    EXPECT_TRUE(Feed(Nal(8, {0xCE}), s));  // a parameter set in between (new picture by itself)
    SliceParams second = first;
    second.idrPicId = 1;
    EXPECT_FALSE(Feed(Nal(5, SliceRbsp(second, p)), s));
    EXPECT_EQ(s.idrPicId, 1);
    EXPECT_FALSE(Feed(Nal(6, {0x05, 0x01, 0x00, 0x80}), s));  // SEI is not parsed
    SliceParams third = first;
    third.idrPicId = 0;
    EXPECT_FALSE(Feed(Nal(5, SliceRbsp(third, p)), s));
}

TEST(Slice, FirstSliceComparesAgainstTheZeroedState) {
    DetectorState s;  // no SPS: log2 max frame num 0 reads nothing
    SliceParams a;
    SpsParams none;
    none.log2MaxFrameNum = 0;
    none.log2MaxPocLsb = 0;
    EXPECT_FALSE(Feed(Nal(1, SliceRbsp(a, none)), s));
}

TEST(Slice, ParameterSetsAreNewPicturesAndOtherTypesAreNot) {
    DetectorState s;
    EXPECT_TRUE(Feed(Nal(8, {0xCE}), s));
    EXPECT_EQ(s.previousType, 8);
    for (int t : {6, 9, 10, 11, 12, 13, 19, 20, 31}) {
        EXPECT_FALSE(Feed(Nal(t, {0x80}), s)) << t;
        EXPECT_EQ(s.previousType, t);
    }
}

TEST(Slice, HeaderOnlyUnitReadsZeros) {
    DetectorState s;
    s.frameNum = 0;
    s.log2MaxFrameNum = 8;
    s.log2MaxPocLsb = 8;
    NalUnit u;
    const Bytes b{0x41};
    EXPECT_FALSE(Examine(b.data(), b.size(), u, s));
    EXPECT_EQ(u.payloadLength, 0);
    EXPECT_FALSE(s.key);  // slice_type 0 (P)
}

TEST(Slice, HugeFieldWidthsStayDefined) {
    DetectorState s;
    s.log2MaxFrameNum = 0x7FFFFFFF;
    s.log2MaxPocLsb = -5;
    SliceParams a;
    const Bytes unit = Nal(1, SliceRbsp(a, SpsParams{}));
    NalUnit u;
    Examine(unit.data(), unit.size(), u, s);
    EXPECT_EQ(s.pocLsb, 0);
}

}  // namespace
}  // namespace tramlet::avifix
