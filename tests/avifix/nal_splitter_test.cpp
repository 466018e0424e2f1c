// Splitting a chunk into NAL units, fed in pieces of every size.
#include <gtest/gtest.h>

#include <algorithm>

#include "avifix/nal_splitter.h"
#include "avifix/start_code.h"
#include "avifix_support.h"

namespace tramlet::avifix {
namespace {

using test::Bytes;

struct Unit {
    uint64_t start, end, counted;
    Bytes head;
    bool operator==(const Unit& o) const {
        return start == o.start && end == o.end && counted == o.counted && head == o.head;
    }
};

std::ostream& operator<<(std::ostream& os, const Unit& u) {
    return os << "{p " << u.start << ", q " << u.end << ", counted " << u.counted << ", head "
              << u.head.size() << "}";
}

// The splitting rules read literally, over the whole chunk in one buffer, with
// the bytes in front of the first start code counted with the first unit.
std::vector<Unit> Reference(const Bytes& d) {
    std::vector<Unit> units;
    const int64_t size = static_cast<int64_t>(d.size());
    const int64_t limit = size - 3;
    auto sc = [&](int64_t i) { return d[i] == 0 && d[i + 1] == 0 && d[i + 2] == 1; };
    int64_t p = 0;
    bool first = true;
    int64_t firstStart = 0;
    for (;;) {
        int64_t s = -1;
        for (int64_t i = p; i < limit; ++i) {
            if (sc(i)) {
                s = i;
                break;
            }
        }
        if (s < 0)
            break;
        if (first)
            firstStart = s;
        p = s;
        const int64_t v = p + 3;
        int64_t q = size;
        if (v > limit) {
            q = v;
        } else {
            for (int64_t i = v; i < limit; ++i) {
                if (sc(i)) {
                    q = i;
                    break;
                }
            }
        }
        const int64_t len = q - p - 3;
        if (len <= 0)
            break;
        const int64_t headLen = std::min<int64_t>(len, 2048);
        units.push_back(Unit{static_cast<uint64_t>(p), static_cast<uint64_t>(q),
                             static_cast<uint64_t>(q - p + (first ? firstStart : 0)),
                             Bytes(d.begin() + v, d.begin() + v + headLen)});
        first = false;
        p = q;
    }
    return units;
}

class Collector : public NalUnitSink {
  public:
    bool OnNalUnit(const NalUnitView& u) override {
        units.push_back(Unit{u.start, u.end, u.counted, Bytes(u.head, u.head + u.headLength)});
        return static_cast<int>(units.size()) != stopAfter;
    }
    std::vector<Unit> units;
    int stopAfter = -1;
};

std::vector<Unit> Split(const Bytes& d, size_t piece) {
    Collector c;
    NalSplitter s;
    s.Begin(d.size());
    for (size_t at = 0; at < d.size(); at += piece)
        s.Feed(d.data() + at, std::min(piece, d.size() - at), c);
    s.Finish(c);
    return c.units;
}

Bytes Noise(size_t n, uint32_t seed, int zeroShare) {
    Bytes d(n);
    uint32_t x = seed;
    for (auto& b : d) {
        x = x * 1103515245u + 12345u;
        const uint32_t r = (x >> 16) % 100;
        b = r < static_cast<uint32_t>(zeroShare)       ? 0
            : r < static_cast<uint32_t>(zeroShare) + 8 ? 1
                                                       : static_cast<uint8_t>(x >> 8);
    }
    return d;
}

TEST(StartCode, FindsTheFirstOne) {
    for (size_t n = 0; n < 80; ++n) {
        for (size_t at = 0; at + 3 <= n; ++at) {
            Bytes d(n, 0x55);
            d[at] = 0;
            d[at + 1] = 0;
            d[at + 2] = 1;
            ASSERT_EQ(FindStartCode(d.data(), n), at) << n << " " << at;
        }
        Bytes none(n, 0);
        ASSERT_EQ(FindStartCode(none.data(), n), n);
    }
}

TEST(StartCode, AgreesWithAByteLoopOnNoise) {
    for (uint32_t seed = 1; seed < 300; ++seed) {
        const Bytes d = Noise(1 + seed % 97, seed, 40);
        size_t expect = d.size();
        for (size_t i = 0; i + 2 < d.size(); ++i) {
            if (d[i] == 0 && d[i + 1] == 0 && d[i + 2] == 1) {
                expect = i;
                break;
            }
        }
        ASSERT_EQ(FindStartCode(d.data(), d.size()), expect) << seed;
    }
}

TEST(NalSplitter, OneUnitRunsToTheEndOfTheChunk) {
    const Bytes d{0, 0, 1, 0x65, 1, 2, 3};
    const auto units = Split(d, 100);
    ASSERT_EQ(units.size(), 1u);
    EXPECT_EQ(units[0].start, 0u);
    EXPECT_EQ(units[0].end, 7u);
    EXPECT_EQ(units[0].counted, 7u);
    EXPECT_EQ(units[0].head, (Bytes{0x65, 1, 2, 3}));
}

TEST(NalSplitter, BytesInFrontOfTheFirstStartCodeCountWithTheFirstUnit) {
    const Bytes d{0, 0, 0, 1, 0x67, 9, 0, 0, 0, 1, 0x68, 7, 7};
    const auto units = Split(d, 100);
    ASSERT_EQ(units.size(), 2u);
    EXPECT_EQ(units[0].start, 1u);
    EXPECT_EQ(units[0].counted,
              7u);  // the leading 00, its start code, 67 09 and the 00 in front of the next
    EXPECT_EQ(units[1].counted, 6u);
    EXPECT_EQ(units[0].counted + units[1].counted, d.size());
}

TEST(NalSplitter, BackToBackStartCodesEndTheChunk) {
    const Bytes d{0, 0, 1, 0, 0, 1, 0x41, 5, 5, 5};
    EXPECT_TRUE(Split(d, 100).empty());
}

TEST(NalSplitter, AStartCodeInTheLastThreeBytesIsNotOne) {
    const Bytes d{0, 0, 1, 0x41, 5, 0, 0, 1};
    const auto units = Split(d, 100);
    ASSERT_EQ(units.size(), 1u);
    EXPECT_EQ(units[0].end, 8u);  // the unit runs to the end of the chunk
}

TEST(NalSplitter, AStartCodeInTheLastFiveBytesEndsTheChunk) {
    const Bytes d{0x11, 0x22, 0, 0, 1, 0x41, 5};  // p = size - 5
    EXPECT_TRUE(Split(d, 100).empty());
    const Bytes e{0x11, 0, 0, 1, 0x41, 5};  // p = size - 5 again, v > limit
    EXPECT_TRUE(Split(e, 100).empty());
}

TEST(NalSplitter, ChunksTooShortForAStartCodeHaveNoUnits) {
    for (const Bytes& d : {Bytes{}, Bytes{0}, Bytes{0, 0}, Bytes{0, 0, 1}, Bytes{0, 0, 1, 5}}) {
        EXPECT_TRUE(Split(d, 1).empty());
    }
}

TEST(NalSplitter, HeadIsTheFirst2048BytesOfALongUnit) {
    Bytes d{0, 0, 1};
    for (int i = 0; i < 5000; ++i)
        d.push_back(static_cast<uint8_t>(0x40 + i % 50));
    const auto units = Split(d, 777);
    ASSERT_EQ(units.size(), 1u);
    EXPECT_EQ(units[0].head.size(), 2048u);
    EXPECT_EQ(units[0].head[0], 0x40);
    EXPECT_EQ(units[0].counted, d.size());
}

TEST(NalSplitter, AnySplitIntoPiecesGivesTheWholeChunksUnits) {
    for (uint32_t seed = 1; seed <= 150; ++seed) {
        const Bytes d = Noise(3 + (seed * 131) % 700, seed, 30 + static_cast<int>(seed % 40));
        const auto expect = Reference(d);
        for (size_t piece : {size_t{1}, size_t{2}, size_t{3}, size_t{5}, size_t{7}, size_t{16},
                             size_t{64}, d.size()}) {
            ASSERT_EQ(Split(d, piece), expect) << "seed " << seed << " piece " << piece;
        }
    }
}

TEST(NalSplitter, LongUnitsAcrossPiecesKeepTheirHeads) {
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        Bytes d = Noise(20000, seed, 1);
        for (size_t at = 100 + seed; at + 3 < d.size(); at += 2500 + seed * 17) {
            d[at] = 0;
            d[at + 1] = 0;
            d[at + 2] = 1;
        }
        const auto expect = Reference(d);
        for (size_t piece : {size_t{1}, size_t{3}, size_t{1000}, size_t{4096}}) {
            ASSERT_EQ(Split(d, piece), expect) << seed << " " << piece;
        }
    }
}

TEST(NalSplitter, TheSinkCanStopIt) {
    const Bytes d{0, 0, 1, 0x41, 1, 0, 0, 1, 0x41, 2, 0, 0, 1, 0x41, 3};
    Collector c;
    c.stopAfter = 1;
    NalSplitter s;
    s.Begin(d.size());
    EXPECT_FALSE(s.Feed(d.data(), d.size(), c));
    EXPECT_TRUE(s.Finish(c));
    EXPECT_EQ(c.units.size(), 1u);
}

}  // namespace
}  // namespace tramlet::avifix
