// Crash safety and idempotence: a power cut at every write boundary (every
// byte written, every rename), then the pass again, always ends in the same
// files; a second pass over a repaired card changes nothing.
#include <gtest/gtest.h>

#include "avifix/repair_pass.h"
#include "card_builder.h"

namespace tramlet::avifix {
namespace {

using namespace test;

RepairOptions On(ClipFileSystem& fs) {
    RepairOptions o;
    o.fileSystem = &fs;
    return o;
}

std::map<std::string, Bytes> Repaired(const MemoryFileSystem& card) {
    MemoryFileSystem fs = card.Clone();
    RunRepairPass(kRoot, On(fs));
    return fs.Snapshot();
}

uint64_t UnitsOfAPass(const MemoryFileSystem& card) {
    MemoryFileSystem fs = card.Clone();
    PowerCutFileSystem counter(fs, UINT64_MAX);
    RunRepairPass(kRoot, On(counter));
    return counter.Used();
}

TEST(CrashSafety, ACutAtAnyUnitThenAPassGivesTheSameFiles) {
    const MemoryFileSystem card = MakeCard();
    const auto expect = Repaired(card);
    const uint64_t total = UnitsOfAPass(card);
    ASSERT_GT(total, 3000u);
    for (uint64_t budget = 0; budget <= total; ++budget) {
        MemoryFileSystem fs = card.Clone();
        PowerCutFileSystem cut(fs, budget);
        RunRepairPass(kRoot, On(cut));
        ASSERT_EQ(cut.Cut(), budget < total) << budget;
        RunRepairPass(kRoot, On(fs));
        ASSERT_EQ(fs.Snapshot(), expect)
            << "power cut after " << budget << " of " << total << " units";
    }
}

TEST(CrashSafety, ACutDuringTheRecoveryPassToo) {
    const MemoryFileSystem card = MakeCard();
    const auto expect = Repaired(card);
    const uint64_t total = UnitsOfAPass(card);
    for (uint64_t first = 0; first < total; first += 311) {
        MemoryFileSystem once = card.Clone();
        PowerCutFileSystem cut(once, first);
        RunRepairPass(kRoot, On(cut));
        const uint64_t again = UnitsOfAPass(once);
        for (uint64_t second = 0; second < again; second += 37) {
            MemoryFileSystem fs = once.Clone();
            PowerCutFileSystem cut2(fs, second);
            RunRepairPass(kRoot, On(cut2));
            RunRepairPass(kRoot, On(fs));
            ASSERT_EQ(fs.Snapshot(), expect) << "cuts after " << first << " and " << second;
        }
    }
}

TEST(CrashSafety, APartlyWrittenIndexOverATornChunkIsRecognised) {
    // The torn chunk claims 30 bytes; once 30 bytes of idx1 lie behind its
    // header it looks whole, and the rerun must still stop in front of it.
    MemoryFileSystem card;
    Bytes torn = UnclosedClip(32, 30000, false, 3);
    torn.insert(torn.end(), {'0', '0', 'd', 'c', 30, 0, 0, 0, 0, 0, 1, 0x41, 1, 2});
    card.Put(VideoPath("20240105-080000-3-0.avi"), torn);
    const auto expect = Repaired(card);
    for (uint64_t budget : {30u, 31u, 100u, 8u + 16u * 32u}) {
        MemoryFileSystem fs = card.Clone();
        PowerCutFileSystem cut(fs, budget);
        RunRepairPass(kRoot, On(cut));
        const ClipReport r = RunRepairPass(kRoot, On(fs)).files.at(0);
        EXPECT_EQ(fs.Snapshot(), expect) << budget;
        EXPECT_EQ(r.frames, 32) << budget;
    }
}

TEST(Idempotence, ASecondPassChangesNothing) {
    MemoryFileSystem fs = MakeCard();
    RunRepairPass(kRoot, On(fs));
    const auto once = fs.Snapshot();
    const PassReport second = RunRepairPass(kRoot, On(fs));
    EXPECT_EQ(fs.Snapshot(), once);
    for (const ClipReport& r : second.files) {
        if (r.name == "20240105-100000-2-0.avi") {
            EXPECT_EQ(r.action, ClipAction::Failed);  // the clash is still there
        } else {
            EXPECT_EQ(r.action, ClipAction::LeftAlone) << r.name << ": " << r.Reason();
        }
    }
}

TEST(Idempotence, NoUnitIsWrittenOnASecondPass) {
    MemoryFileSystem fs = MakeCard();
    fs.Remove(VideoPath("20240105-100000-2-2.avi"));  // no clash: nothing is even tried
    RunRepairPass(kRoot, On(fs));
    EXPECT_EQ(UnitsOfAPass(fs), 0u);
}

}  // namespace
}  // namespace tramlet::avifix
