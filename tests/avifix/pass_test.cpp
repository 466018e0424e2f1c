// The repair pass over a card held in memory.
#include <gtest/gtest.h>

#include <algorithm>

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

uint32_t At(const Bytes& b, uint64_t offset) {
    return LoadLe32(b.data() + offset);
}

TEST(RepairClip, FinishedClipWithoutDurationIsRenamed) {
    MemoryFileSystem fs;
    fs.Put(VideoPath("20120305-142233-1-0.avi"), FinishedClip(1800, 30000));
    const Bytes before = fs.Get(VideoPath("20120305-142233-1-0.avi"))->bytes;
    const ClipReport r = RepairClip(kRoot, "20120305-142233-1-0.avi", On(fs));
    EXPECT_EQ(r.kind, ClipKind::FinishedNoDuration);
    EXPECT_EQ(r.action, ClipAction::DurationAdded);
    EXPECT_EQ(r.handlerResult, 0);
    EXPECT_EQ(r.duration, 60);
    EXPECT_EQ(r.newPath, VideoPath("20120305-142233-1-60.avi"));
    EXPECT_FALSE(fs.Exists(VideoPath("20120305-142233-1-0.avi")));
    EXPECT_EQ(fs.Get(VideoPath("20120305-142233-1-60.avi"))->bytes, before);  // only renamed
}

TEST(RepairClip, DurationIsTruncated) {
    MemoryFileSystem fs;
    fs.Put(VideoPath("20120305-142233-1-0.avi"), FinishedClip(1799, 30000));
    EXPECT_EQ(RepairClip(kRoot, "20120305-142233-1-0.avi", On(fs)).duration, 59);
    EXPECT_TRUE(fs.Exists(VideoPath("20120305-142233-1-59.avi")));
}

TEST(RepairClip, NtscRateIsSinglePrecision) {
    MemoryFileSystem fs;
    fs.Put(VideoPath("20120305-142233-1-0.avi"), FinishedClip(1799, 29970));
    const ClipReport r = RepairClip(kRoot, "20120305-142233-1-0.avi", On(fs));
    EXPECT_EQ(r.frameRate, 29.97f);
    EXPECT_EQ(r.duration, 60);
}

TEST(RepairClip, FinishedAndNamedIsLeftUntouchedWithResultOne) {
    MemoryFileSystem fs;
    fs.Put(VideoPath("20120305-142233-1-60.avi"), FinishedClip(1800, 30000));
    const auto before = fs.Snapshot();
    const ClipReport r = RepairClip(kRoot, "20120305-142233-1-60.avi", On(fs));
    EXPECT_EQ(r.kind, ClipKind::Finished);
    EXPECT_EQ(r.action, ClipAction::LeftAlone);
    EXPECT_EQ(r.handlerResult, 1);
    EXPECT_EQ(fs.Snapshot(), before);
}

TEST(RepairClip, UnclosedClipIsRebuiltAndRenamedWhateverItsName) {
    MemoryFileSystem fs;
    fs.Put(VideoPath("20120305-142233-2-60.avi"), UnclosedClip(95));
    const ClipReport r = RepairClip(kRoot, "20120305-142233-2-60.avi", On(fs));
    EXPECT_EQ(r.kind, ClipKind::Unclosed);
    EXPECT_EQ(r.action, ClipAction::Repaired);
    EXPECT_EQ(r.handlerResult, 0);
    EXPECT_TRUE(r.rebuilt);
    EXPECT_EQ(r.frames, 95);
    EXPECT_EQ(r.duration, 3);
    ASSERT_TRUE(fs.Exists(VideoPath("20120305-142233-2-3.avi")));
    const Bytes& b = fs.Get(VideoPath("20120305-142233-2-3.avi"))->bytes;
    EXPECT_EQ(At(b, 4), b.size() - 8);
    EXPECT_EQ(At(b, 48), 95u);
}

TEST(RepairClip, FinishedWithRateZeroKeepsItsName) {
    MemoryFileSystem fs;
    fs.Put(VideoPath("20120305-142233-1-0.avi"), FinishedClip(1800, 0));
    const auto before = fs.Snapshot();
    const ClipReport r = RepairClip(kRoot, "20120305-142233-1-0.avi", On(fs));
    EXPECT_EQ(r.duration, 0);
    EXPECT_EQ(r.action, ClipAction::LeftAlone);
    EXPECT_EQ(fs.Snapshot(), before);
}

// A finished clip whose header or index claims more than the file holds is
// rebuilt from what is there, or left as it is when no whole frame remains;
// its name never claims more than its frames.
struct CutShortCase {
    const char* what;
    std::string name;
    Bytes clip;
    ClipAction action;
    std::string after;  // the name it ends with
    bool bytesKept;
};

void PrintTo(const CutShortCase& c, std::ostream* os) {
    *os << c.what;
}

class CutShortClip : public testing::TestWithParam<CutShortCase> {};

TEST_P(CutShortClip, IsNeverNamedLongerThanItsFrames) {
    const CutShortCase& c = GetParam();
    MemoryFileSystem fs;
    fs.Put(VideoPath(c.name), c.clip);
    const ClipReport r = RepairClip(kRoot, c.name, On(fs));
    EXPECT_EQ(r.kind, ClipKind::CutShort);
    EXPECT_EQ(r.action, c.action) << r.Reason();
    const auto files = fs.Snapshot();
    ASSERT_EQ(files.size(), 1u);
    const auto& [path, bytes] = *files.begin();
    EXPECT_EQ(path, VideoPath(c.after)) << r.Reason();
    EXPECT_EQ(bytes == c.clip, c.bytesKept);
    if (!c.bytesKept) {
        EXPECT_EQ(At(bytes, 4) + 8, bytes.size());
        EXPECT_EQ(At(bytes, 48), static_cast<uint32_t>(r.frames));
    }
}

const Bytes kTenSeconds = FinishedClip(300, 30000);

INSTANTIATE_TEST_SUITE_P(
    Cases, CutShortClip,
    testing::Values(CutShortCase{"300 bytes left", "20120305-142233-1-0.avi",
                                 CutShort(kTenSeconds, 300), ClipAction::LeftAlone,
                                 "20120305-142233-1-0.avi", true},
                    CutShortCase{"300 bytes left of a named clip", "20120305-142233-1-10.avi",
                                 CutShort(kTenSeconds, 300), ClipAction::LeftAlone,
                                 "20120305-142233-1-0.avi", true},
                    CutShortCase{"half its frames left", "20120305-142233-1-0.avi",
                                 CutShort(kTenSeconds, kTenSeconds.size() / 2),
                                 ClipAction::Repaired, "20120305-142233-1-5.avi", false},
                    CutShortCase{"half its frames left, named", "20120305-142233-1-10.avi",
                                 CutShort(kTenSeconds, kTenSeconds.size() / 2),
                                 ClipAction::Repaired, "20120305-142233-1-5.avi", false},
                    CutShortCase{"a count of frames no clip holds", "20120305-142233-1-0.avi",
                                 FinishedClip(0x80000000u, 30000), ClipAction::Repaired,
                                 "20120305-142233-1-0.avi", false}),
    [](const auto& info) { return std::to_string(info.index); });

TEST(RepairClip, AClipShorterThanASecondIsRebuiltButKeepsItsName) {
    MemoryFileSystem fs;
    fs.Put(VideoPath("20120305-142233-1-0.avi"), UnclosedClip(20));
    const ClipReport r = RepairClip(kRoot, "20120305-142233-1-0.avi", On(fs));
    EXPECT_EQ(r.action, ClipAction::Repaired);
    EXPECT_FALSE(r.renamed);
    const Bytes& b = fs.Get(VideoPath("20120305-142233-1-0.avi"))->bytes;
    EXPECT_NE(At(b, 4), 0xFFFFFFFFu);  // complete, though the catalogue still leaves it out
}

TEST(RepairClip, UnusableFilesAreLeftUntouched) {
    MemoryFileSystem fs;
    fs.Put(VideoPath("20120305-142233-1-0.avi"), Bytes(223, 0));
    Bytes other = UnclosedClip(40);
    std::copy_n("LIST", 4, other.begin() + 220);
    fs.Put(VideoPath("20120305-142233-2-0.avi"), other);
    const auto before = fs.Snapshot();
    for (const char* name : {"20120305-142233-1-0.avi", "20120305-142233-2-0.avi"}) {
        const ClipReport r = RepairClip(kRoot, name, On(fs));
        EXPECT_EQ(r.kind, ClipKind::Unusable) << name;
        EXPECT_EQ(r.action, ClipAction::LeftAlone) << name;
        EXPECT_EQ(r.handlerResult, 0);
    }
    EXPECT_EQ(fs.Snapshot(), before);
}

TEST(RepairClip, AMissingFileFails) {
    MemoryFileSystem fs;
    const ClipReport r = RepairClip(kRoot, "20120305-142233-1-0.avi", On(fs));
    EXPECT_EQ(r.action, ClipAction::Failed);
    EXPECT_EQ(r.handlerResult, 0);
}

TEST(RepairClip, NamesThatAreNotClipNamesAreLeftAlone) {
    MemoryFileSystem fs;
    fs.Put(VideoPath("holiday.avi"), UnclosedClip(40));
    const auto before = fs.Snapshot();
    const ClipReport r = RepairClip(kRoot, "holiday.avi", On(fs));
    EXPECT_EQ(r.kind, ClipKind::NotAClip);
    EXPECT_EQ(r.action, ClipAction::LeftAlone);
    EXPECT_EQ(fs.Snapshot(), before);
}

TEST(RepairClip, ANameClashKeepsBothFiles) {
    MemoryFileSystem fs;
    fs.Put(VideoPath("20120305-142233-1-0.avi"), UnclosedClip(60));
    fs.Put(VideoPath("20120305-142233-1-2.avi"), FinishedClip(60, 30000));
    const Bytes other = fs.Get(VideoPath("20120305-142233-1-2.avi"))->bytes;
    const ClipReport r = RepairClip(kRoot, "20120305-142233-1-0.avi", On(fs));
    EXPECT_EQ(r.action, ClipAction::Failed);
    EXPECT_TRUE(r.rebuilt);
    EXPECT_FALSE(r.renamed);
    EXPECT_EQ(fs.Get(VideoPath("20120305-142233-1-2.avi"))->bytes, other);
    const Bytes& b = fs.Get(VideoPath("20120305-142233-1-0.avi"))->bytes;
    EXPECT_EQ(At(b, 4), b.size() - 8);
}

// FAT and exFAT resolve every spelling of a name to one file. The clip
// visited is listed first, unclosed with 60 frames (2 s) or finished; the
// others are finished clips.
struct CaseBlindCase {
    const char* what;
    bool unclosed;
    std::vector<std::string> before;
    ClipAction action;
    std::vector<std::string> after;
};

class CaseBlindCard : public testing::TestWithParam<CaseBlindCase> {};

TEST_P(CaseBlindCard, ANameThatDiffersOnlyInCaseIsTheSameName) {
    const CaseBlindCase& c = GetParam();
    MemoryFileSystem fs(true);
    fs.Put(VideoPath(c.before[0]), c.unclosed ? UnclosedClip(60) : FinishedClip(60, 30000));
    for (size_t i = 1; i < c.before.size(); ++i)
        fs.Put(VideoPath(c.before[i]), FinishedClip(60, 30000));
    const ClipReport r = RepairClip(kRoot, c.before[0], On(fs));
    EXPECT_EQ(r.action, c.action) << r.Reason();
    std::vector<std::string> names;
    for (const auto& [path, bytes] : fs.Snapshot()) {
        names.push_back(path.substr(VideoPath("").size()));
        EXPECT_NE(At(bytes, 4), 0xFFFFFFFFu) << path;  // every clip reads finished
    }
    EXPECT_EQ(names, c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CaseBlindCard,
    testing::Values(CaseBlindCase{"capitals, duration already in the name",
                                  true,
                                  {"20120305-142233-3-2.AVI"},
                                  ClipAction::Repaired,
                                  {"20120305-142233-3-2.AVI"}},
                    CaseBlindCase{"capitals, duration to add",
                                  true,
                                  {"20120305-142233-3-0.AVI"},
                                  ClipAction::Repaired,
                                  {"20120305-142233-3-2.avi"}},
                    CaseBlindCase{"finished, capitals",
                                  false,
                                  {"20120305-142233-3-0.AVI"},
                                  ClipAction::DurationAdded,
                                  {"20120305-142233-3-2.avi"}},
                    CaseBlindCase{"another spelling of the new name is another file",
                                  true,
                                  {"20120305-142233-1-0.avi", "20120305-142233-1-2.AVI"},
                                  ClipAction::Failed,
                                  {"20120305-142233-1-0.avi", "20120305-142233-1-2.AVI"}}),
    [](const auto& info) { return std::to_string(info.index); });

TEST(RepairClip, IndexGrowthFailureLeavesTheClipUnclosed) {
    MemoryFileSystem fs;
    fs.Put(VideoPath("20120305-142233-1-0.avi"), UnclosedClip(1200));
    const auto before = fs.Snapshot();
    RepairOptions o = On(fs);
    o.rebuild.maxIndexEntries = 1000;
    const ClipReport r = RepairClip(kRoot, "20120305-142233-1-0.avi", o);
    EXPECT_EQ(r.action, ClipAction::Failed);
    EXPECT_EQ(fs.Snapshot(), before);
}

TEST(RepairClip, FilesOf4GiBAreUntouched) {
    MemoryFileSystem fs;
    fs.Put(VideoPath("20120305-142233-1-0.avi"), UnclosedClip(30));
    fs.Get(VideoPath("20120305-142233-1-0.avi"))->virtualSize = uint64_t{5} << 30;
    const auto before = fs.Snapshot();
    const ClipReport r = RepairClip(kRoot, "20120305-142233-1-0.avi", On(fs));
    EXPECT_EQ(r.action, ClipAction::Failed);
    EXPECT_EQ(r.size, uint64_t{5} << 30);
    EXPECT_EQ(fs.Snapshot(), before);
}

TEST(RepairClip, ProgressStartsWithTheHeadersShareAndEndsAt100) {
    MemoryFileSystem fs;
    const Bytes clip = UnclosedClip(200);
    fs.Put(VideoPath("20120305-142233-1-0.avi"), clip);
    std::vector<int> seen;
    RepairClip(kRoot, "20120305-142233-1-0.avi", On(fs), [&](int p) { seen.push_back(p); });
    ASSERT_GE(seen.size(), 3u);
    EXPECT_EQ(seen.front(), static_cast<int>(22400 / clip.size()));
    EXPECT_EQ(seen.back(), 100);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
}

TEST(RepairClip, DryRunWritesNothingAndTellsWhatWouldChange) {
    MemoryFileSystem fs = MakeCard();
    const auto before = fs.Snapshot();
    RepairOptions o = On(fs);
    o.dryRun = true;
    const PassReport dry = RunRepairPass(kRoot, o);
    EXPECT_EQ(fs.Snapshot(), before);
    MemoryFileSystem real = MakeCard();
    const PassReport done = RunRepairPass(kRoot, On(real));
    ASSERT_EQ(dry.files.size(), done.files.size());
    for (size_t i = 0; i < dry.files.size(); ++i) {
        EXPECT_EQ(dry.files[i].action, done.files[i].action) << dry.files[i].name;
        EXPECT_EQ(dry.files[i].newPath, done.files[i].newPath) << dry.files[i].name;
        EXPECT_EQ(dry.files[i].frames, done.files[i].frames) << dry.files[i].name;
    }
}

TEST(RepairClipAt, RenamesWithinItsOwnFolder) {
    MemoryFileSystem fs;
    fs.Put("/elsewhere/20120305-142233-4-0.avi", UnclosedClip(64));
    const ClipReport r = RepairClipAt("/elsewhere/20120305-142233-4-0.avi", On(fs));
    EXPECT_EQ(r.action, ClipAction::Repaired);
    EXPECT_TRUE(fs.Exists("/elsewhere/20120305-142233-4-2.avi"));
}

TEST(RepairPass, VisitsEveryAviAndReportsProgress) {
    MemoryFileSystem fs = MakeCard();
    fs.Put(VideoPath("20240105-130000-1-0.AVI"), FinishedClip(300, 30000));
    size_t total = 99;
    std::vector<size_t> indices;
    std::vector<std::string> names;
    int percents = 0;
    RepairCallbacks cb;
    cb.passStarted = [&](size_t n) { total = n; };
    cb.fileStarted = [&](size_t i, size_t n, const std::string& name) {
        EXPECT_EQ(n, total);
        indices.push_back(i);
        names.push_back(name);
    };
    cb.filePercent = [&](int) { ++percents; };
    const PassReport pass = RunRepairPass(kRoot, On(fs), cb);
    EXPECT_EQ(total, 18u);
    ASSERT_EQ(indices.size(), total);
    for (size_t i = 0; i < indices.size(); ++i)
        EXPECT_EQ(indices[i], i);
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
    EXPECT_GT(percents, 20);
    EXPECT_TRUE(fs.Exists(VideoPath("20240105-130000-1-10.avi")));
    EXPECT_EQ(pass.Count(ClipAction::Failed), 1u);  // the name clash
    EXPECT_FALSE(pass.AllFine());
}

TEST(RepairPass, APulledCardStopsThePassAfterTheFileAtHand) {
    MemoryFileSystem fs;
    for (const char* name :
         {"20120305-142233-1-0.avi", "20120305-142233-2-0.avi", "20120305-142233-3-0.avi"})
        fs.Put(VideoPath(name), UnclosedClip(30));
    RepairCallbacks callbacks;
    callbacks.fileDone = [&fs](const ClipReport&) { fs.Pull(); };
    const PassReport pass = RunRepairPass(kRoot, On(fs), callbacks);
    ASSERT_EQ(pass.files.size(), 2u);
    EXPECT_EQ(pass.files[0].action, ClipAction::Repaired);
    EXPECT_EQ(pass.files[1].action, ClipAction::Failed);
    EXPECT_EQ(pass.files[1].Reason().rfind("the card was removed: ", 0), 0u)
        << pass.files[1].Reason();
    EXPECT_TRUE(pass.cardRemoved);
    EXPECT_EQ(pass.notVisited, 1u);
    EXPECT_FALSE(pass.AllFine());
}

TEST(RepairPass, AMissingVideoFolderIsAnEmptyPass) {
    MemoryFileSystem fs;
    size_t total = 99;
    RepairCallbacks cb;
    cb.passStarted = [&](size_t n) { total = n; };
    EXPECT_TRUE(RunRepairPass(kRoot, On(fs), cb).files.empty());
    EXPECT_EQ(total, 0u);
}

TEST(RepairPass, RepairsTheCardAsThePartsSay) {
    MemoryFileSystem fs = MakeCard();
    RunRepairPass(kRoot, On(fs));
    for (const char* name :
         {"20240105-080000-1-1.avi", "20240105-080000-2-1.avi", "20240105-080000-3-1.avi",
          "20240105-080000-4-1.avi", "20240105-090000-1-1.avi", "20240105-090000-2-1.avi",
          "20240105-090000-3-60.avi", "20240105-090000-4-0.avi", "20240105-100000-1-1.avi",
          "20240105-100000-2-0.avi", "20240105-100000-2-2.avi", "20240105-110000-1-60.avi",
          "notes.avi", "20240105-120000-1-0.avi", "20240105-120000-2-0.avi",
          "20240105-140000-1-1.avi", "20240105-140000-2-0.avi"}) {
        EXPECT_TRUE(fs.Exists(VideoPath(name))) << name;
    }
    EXPECT_EQ(fs.Snapshot().size(), 18u);
}

}  // namespace
}  // namespace tramlet::avifix
