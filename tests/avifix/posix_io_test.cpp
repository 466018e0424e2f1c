// The real file system layer: renames that never replace, and a pass on disk.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "avifix/clip_io.h"
#include "avifix/repair_pass.h"
#include "card_builder.h"
#include "support/temp_dir.h"

namespace tramlet::avifix {
namespace {

using test::Bytes;

std::string Str(const Bytes& b) {
    return std::string(b.begin(), b.end());
}

Bytes Read(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

TEST(PosixRename, NeverReplacesAndKeepsBoth) {
    tramlet::test::TempDir dir;
    const auto a = dir.Write("a.avi", "first");
    const auto b = dir.Write("b.avi", "second");
    std::string error;
    EXPECT_EQ(PosixFileSystem().RenameNoReplace(a, b, &error), RenameStatus::TargetExists);
    EXPECT_EQ(Str(Read(a)), "first");
    EXPECT_EQ(Str(Read(b)), "second");
    const auto c = dir.Path() / "c.avi";
    EXPECT_EQ(PosixFileSystem().RenameNoReplace(a, c, &error), RenameStatus::Done);
    EXPECT_FALSE(std::filesystem::exists(a));
    EXPECT_EQ(Str(Read(c)), "first");
}

TEST(PosixRename, LinkFallbackNeverReplacesEither) {
    tramlet::test::TempDir dir;
    const auto a = dir.Write("a.avi", "first");
    const auto b = dir.Write("b.avi", "second");
    std::string error;
    EXPECT_EQ(RenameByLink(a, b, &error), RenameStatus::TargetExists);
    EXPECT_EQ(Str(Read(b)), "second");
    const auto c = dir.Path() / "c.avi";
    EXPECT_EQ(RenameByLink(a, c, &error), RenameStatus::Done);
    EXPECT_FALSE(std::filesystem::exists(a));
    EXPECT_EQ(Str(Read(c)), "first");
}

// Two names of one file, as a link + unlink cut after the link leaves them,
// and as stat sees the two spellings of one name on FAT and exFAT: only the
// first is an interrupted rename whose old name may go.
struct SecondNameCase {
    const char* from;
    const char* to;
    RenameStatus status;
    bool fromStays;
};

class PosixSecondName : public testing::TestWithParam<SecondNameCase> {};

TEST_P(PosixSecondName, IsDroppedOnlyForAnInterruptedRename) {
    const SecondNameCase& c = GetParam();
    for (auto rename : {+[](const std::string&a, const std::string&b, std::string*e) {
                            return PosixFileSystem().RenameNoReplace(a, b, e);
                        },
                        &RenameByLink}) {
        tramlet::test::TempDir dir;
        const auto from = dir.Write(c.from, "clip");
        const auto to = dir.Path() / c.to;
        ASSERT_EQ(link(from.c_str(), to.c_str()), 0);
        std::string error;
        EXPECT_EQ(rename(from, to, &error), c.status) << error;
        EXPECT_EQ(std::filesystem::exists(from), c.fromStays);
        EXPECT_EQ(Str(Read(to)), "clip");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PosixSecondName,
    testing::Values(SecondNameCase{"20120305-142233-1-0.avi", "20120305-142233-1-2.avi",
                                   RenameStatus::Done, false},
                    SecondNameCase{"20120305-142233-3-2.AVI", "20120305-142233-3-2.avi",
                                   RenameStatus::TargetExists, true}));

TEST(PosixOpen, OnlyRegularFilesAreOpened) {
    tramlet::test::TempDir dir;
    const auto fifo = dir.Path() / "20120305-142233-1-0.avi";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::string error;
    EXPECT_EQ(PosixFileSystem().OpenForUpdate(fifo, &error), nullptr);
    const auto target = dir.Write("elsewhere.avi", "not a clip of this card");
    const auto link = dir.Path() / "20120305-142233-2-0.avi";
    std::filesystem::create_symlink(target, link);
    EXPECT_EQ(PosixFileSystem().OpenForUpdate(link, &error), nullptr);
    EXPECT_EQ(error, "a symbolic link, not a regular file");
    EXPECT_EQ(PosixFileSystem().OpenForUpdate((dir.Path() / "missing.avi").string(), &error),
              nullptr);
    EXPECT_FALSE(error.empty());
}

TEST(PosixPass, RepairsACardOnDiskAndASecondPassChangesNothing) {
    tramlet::test::TempDir dir;
    const Bytes unclosed = test::UnclosedClip(64);
    dir.Write("video/20120305-142233-1-0.avi", Str(unclosed));
    dir.Write("video/20120305-142233-2-0.avi", Str(test::UnclosedClip(95, 30000, true)));
    dir.Write("video/20120305-142233-2-3.avi", Str(test::FinishedClip(90, 30000)));
    dir.Write("video/20120305-150000-1-0.avi", Str(test::FinishedClip(1800, 30000)));
    const PassReport pass = RunRepairPass(DataRootPath(dir.Root()));
    ASSERT_EQ(pass.files.size(), 4u);
    EXPECT_EQ(pass.files[0].action, ClipAction::Repaired);
    EXPECT_EQ(pass.files[1].action, ClipAction::Failed);  // 20120305-142233-2-3.avi exists
    EXPECT_EQ(pass.files[2].action, ClipAction::LeftAlone);
    EXPECT_EQ(pass.files[3].action, ClipAction::DurationAdded);
    const auto repaired = dir.Path() / "video/20120305-142233-1-2.avi";
    ASSERT_TRUE(std::filesystem::exists(repaired));
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "video/20120305-142233-2-0.avi"));
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "video/20120305-142233-2-3.avi"));
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "video/20120305-150000-1-60.avi"));
    const Bytes after = Read(repaired);
    EXPECT_EQ(after.size(), unclosed.size() + 8 + 16 * 64);
    EXPECT_TRUE(std::equal(unclosed.begin() + 224, unclosed.end(),
                           after.begin() + 224));  // frames untouched

    const PassReport second = RunRepairPass(DataRootPath(dir.Root()));
    EXPECT_EQ(Read(repaired), after);
    EXPECT_EQ(second.Count(ClipAction::Repaired) + second.Count(ClipAction::DurationAdded), 0u);
}

}  // namespace
}  // namespace tramlet::avifix
