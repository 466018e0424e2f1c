#include "backup/backup_copier.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/temp_dir.h"

namespace tramlet {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

// Names in the backup folder that are not finished copies.
std::vector<std::string> LeftoverTempFiles(const fs::path& folder) {
    std::vector<std::string> leftovers;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.path().filename().string().find(".part") != std::string::npos) {
            leftovers.push_back(entry.path().string());
        }
    }
    return leftovers;
}

class BackupCopierTest : public testing::Test {
  protected:
    BackupItem Clip(const std::string& name) {
        return {card.Root() + "video/" + name, "video/" + name, false};
    }
    BackupItem Log(const std::string& name) {
        return {card.Root() + "gps/" + name, "gps/" + name, true};
    }
    BackupReport Run(BackupCopier& copier, const std::vector<BackupItem>& plan) {
        std::atomic<bool> cancel{false};
        return copier.Run(plan, nullptr, cancel);
    }

    test::TempDir card;
    test::TempDir backup;
};

TEST_F(BackupCopierTest, CopiesContentTimesAndChecksums) {
    const std::string big(3 << 20, 'v');  // several blocks
    card.Write("video/20120305-142233-1-60.avi", big);
    card.Write("gps/20120305.gps", "142233 37.5 127.0 40 90\n");
    const timespec old[2] = {{1331000000, 0}, {1331000000, 0}};
    ::utimensat(AT_FDCWD, (card.Path() / "video/20120305-142233-1-60.avi").c_str(), old, 0);

    BackupCopier copier(backup.Path().string());
    const auto report = Run(copier, {Log("20120305.gps"), Clip("20120305-142233-1-60.avi")});

    EXPECT_TRUE(report.Complete());
    EXPECT_EQ(report.copied.size(), 2u);
    EXPECT_EQ(ReadFile(backup.Path() / "video/20120305-142233-1-60.avi"), big);
    struct stat st {};
    ::stat((backup.Path() / "video/20120305-142233-1-60.avi").c_str(), &st);
    EXPECT_EQ(st.st_mtim.tv_sec, 1331000000);
    const std::string check =
        "cd '" + backup.Path().string() + "' && sha256sum --quiet -c SHA256SUMS";
    EXPECT_EQ(std::system(check.c_str()), 0);
}

TEST_F(BackupCopierTest, ReplacesEarlierCopiesAndKeepsTheirChecksums) {
    card.Write("video/a-1-1-1.avi", "first");
    card.Write("video/b-1-1-1.avi", "other");
    BackupCopier copier(backup.Path().string());
    Run(copier, {Clip("a-1-1-1.avi"), Clip("b-1-1-1.avi")});
    card.Write("video/a-1-1-1.avi", "second");
    EXPECT_TRUE(Run(copier, {Clip("a-1-1-1.avi")}).Complete());

    EXPECT_EQ(ReadFile(backup.Path() / "video/a-1-1-1.avi"), "second");
    const std::string sums = ReadFile(backup.Path() / "SHA256SUMS");
    EXPECT_NE(sums.find("video/b-1-1-1.avi"), std::string::npos);
    const std::string check =
        "cd '" + backup.Path().string() + "' && sha256sum --quiet -c SHA256SUMS";
    EXPECT_EQ(std::system(check.c_str()), 0);
}

TEST_F(BackupCopierTest, ChecksumsOfNamesWithABackslashOrANewlineVerify) {
    card.Write("video/back\\slash-1-1-1.avi", "one");
    card.Write("video/new\nline-1-1-1.avi", "two");
    BackupCopier copier(backup.Path().string());
    ASSERT_TRUE(Run(copier, {Clip("back\\slash-1-1-1.avi")}).Complete());
    // A second run reads the escaped line back and keeps it.
    ASSERT_TRUE(Run(copier, {Clip("new\nline-1-1-1.avi")}).Complete());
    const std::string check =
        "cd '" + backup.Path().string() + "' && sha256sum --quiet --strict -c SHA256SUMS";
    EXPECT_EQ(std::system(check.c_str()), 0) << ReadFile(backup.Path() / "SHA256SUMS");
}

TEST_F(BackupCopierTest, FlushesTheFoldersBeforeReportingAndSaysWhenItCannot) {
    card.Write("video/a-1-1-1.avi", "a");
    card.Write("gps/20120305.gps", "g");
    BackupCopier copier(backup.Path().string());
    std::vector<std::string> flushed;
    copier.SetFlushFunction([&](int fd) {
        const fs::path path = fs::read_symlink("/proc/self/fd/" + std::to_string(fd));
        if (!fs::is_directory(path))
            return ::fsync(fd);
        flushed.push_back(path.lexically_relative(backup.Path()).string());
        errno = EIO;
        return path.filename() == "video" ? -1 : ::fsync(fd);
    });
    const auto report = Run(copier, {Log("20120305.gps"), Clip("a-1-1-1.avi")});
    EXPECT_EQ(flushed, (std::vector<std::string>{"video", "gps", "."}));
    ASSERT_EQ(report.failures.size(), 1u);
    EXPECT_EQ(report.failures[0].file, "video/");
    EXPECT_EQ(report.failures[0].why.error, EIO);
}

TEST_F(BackupCopierTest, ReportsWhatFailedAndWhy) {
    card.Write("video/kept-1-1-1.avi", "x");
    BackupCopier copier(backup.Path().string());
    // A missing day log is no failure; a missing clip is.
    const auto report =
        Run(copier, {Log("20120305.gps"), Clip("gone-1-1-1.avi"), Clip("kept-1-1-1.avi")});
    EXPECT_FALSE(report.Complete());
    EXPECT_EQ(report.copied, std::vector<std::string>{"video/kept-1-1-1.avi"});
    ASSERT_EQ(report.failures.size(), 1u);
    EXPECT_EQ(report.failures[0].file, "video/gone-1-1-1.avi");
    EXPECT_EQ(report.failures[0].why.kind, BackupProblem::kSourceMissing);
}

TEST_F(BackupCopierTest, CopiesRegularFilesOnlyAndClearsWhatAKilledRunLeft) {
    card.Write("video/a-1-1-1.avi", "a");
    ASSERT_EQ(::mkfifo((card.Path() / "video/fifo-1-1-1.avi").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", card.Path() / "video/zero-1-1-1.avi");
    backup.Write("video/.a-1-1-1.avi.part-Ab12Cd", "half a copy");
    backup.Write("video/.notes.part", "the user's own");
    BackupCopier copier(backup.Path().string());
    const auto report =
        Run(copier, {Clip("fifo-1-1-1.avi"), Clip("zero-1-1-1.avi"), Clip("a-1-1-1.avi")});
    EXPECT_EQ(report.copied, std::vector<std::string>{"video/a-1-1-1.avi"});
    ASSERT_EQ(report.failures.size(), 2u);
    for (const BackupFailure& failure : report.failures)
        EXPECT_EQ(failure.why.kind, BackupProblem::kSourceNotRegular) << failure.file;
    EXPECT_FALSE(fs::exists(backup.Path() / "video/.a-1-1-1.avi.part-Ab12Cd"));
    EXPECT_TRUE(fs::exists(backup.Path() / "video/.notes.part"));
}

TEST_F(BackupCopierTest, AFullDiskLeavesNoHalfWrittenFile) {
    card.Write("video/a-1-1-1.avi", std::string(3 << 20, 'a'));
    card.Write("video/b-1-1-1.avi", "small");
    BackupCopier copier(backup.Path().string());
    int writes = 0;
    copier.SetWriteFunction([&](int fd, const void* data, size_t size) -> ssize_t {
        if (++writes == 2) {
            errno = ENOSPC;
            return -1;
        }
        return ::write(fd, data, size);
    });
    const auto report = Run(copier, {Clip("a-1-1-1.avi"), Clip("b-1-1-1.avi")});

    ASSERT_EQ(report.failures.size(), 1u);
    EXPECT_EQ(report.failures[0].why.kind, BackupProblem::kCopyFailed);
    EXPECT_EQ(report.failures[0].why.error, ENOSPC);
    EXPECT_FALSE(fs::exists(backup.Path() / "video/a-1-1-1.avi"));
    EXPECT_EQ(ReadFile(backup.Path() / "video/b-1-1-1.avi"), "small");
    EXPECT_TRUE(LeftoverTempFiles(backup.Path()).empty());
}

TEST_F(BackupCopierTest, CancellingKeepsFinishedCopiesAndNoTemporaryFiles) {
    card.Write("video/a-1-1-1.avi", "done before cancel");
    card.Write("video/b-1-1-1.avi", std::string(3 << 20, 'b'));
    card.Write("video/c-1-1-1.avi", "never reached");
    BackupCopier copier(backup.Path().string());
    std::atomic<bool> cancel{false};
    const auto report = copier.Run(
        {Clip("a-1-1-1.avi"), Clip("b-1-1-1.avi"), Clip("c-1-1-1.avi")},
        [&](const BackupProgress& p) {
            if (p.currentFile == "video/b-1-1-1.avi" && p.bytesDone > 20)
                cancel = true;
        },
        cancel);

    EXPECT_TRUE(report.cancelled);
    EXPECT_EQ(report.copied, std::vector<std::string>{"video/a-1-1-1.avi"});
    EXPECT_TRUE(fs::exists(backup.Path() / "video/a-1-1-1.avi"));
    EXPECT_FALSE(fs::exists(backup.Path() / "video/b-1-1-1.avi"));
    EXPECT_FALSE(fs::exists(backup.Path() / "video/c-1-1-1.avi"));
    EXPECT_TRUE(LeftoverTempFiles(backup.Path()).empty());
}

TEST_F(BackupCopierTest, ProgressCountsFilesAndBytesOfTheWholeBackup) {
    card.Write("video/a-1-1-1.avi", std::string(1000, 'a'));
    card.Write("video/b-1-1-1.avi", std::string(500, 'b'));
    BackupCopier copier(backup.Path().string());
    std::atomic<bool> cancel{false};
    BackupProgress last;
    copier.Run(
        {Clip("a-1-1-1.avi"), Clip("b-1-1-1.avi")}, [&](const BackupProgress& p) { last = p; },
        cancel);
    EXPECT_EQ(last.filesTotal, 2);
    EXPECT_EQ(last.filesDone, 2);
    EXPECT_EQ(last.bytesTotal, 1500u);
    EXPECT_EQ(last.bytesDone, 1500u);
}

struct TrackCase {
    const char* name;
    const char* log;
    bool gpxBlocked;  // a folder stands where the track goes
    bool gpxWritten;
};

void PrintTo(const TrackCase& c, std::ostream* os) {
    *os << c.name;
}

class BackupTrackTest : public BackupCopierTest, public testing::WithParamInterface<TrackCase> {};

TEST_P(BackupTrackTest, ACopiedDayLogBringsItsTrackAlong) {
    const TrackCase& c = GetParam();
    card.Write("video/20120305-142233-1-60.avi", "clip");
    card.Write("gps/20120305.gps", c.log);
    if (c.gpxBlocked)
        fs::create_directories(backup.Path() / "gps/20120305.gpx");
    BackupCopier copier(backup.Path().string());
    const auto report = Run(copier, {Log("20120305.gps"), Clip("20120305-142233-1-60.avi")});

    EXPECT_EQ(report.copied.size(), 2u);
    EXPECT_TRUE(LeftoverTempFiles(backup.Path()).empty());
    EXPECT_EQ(fs::is_regular_file(backup.Path() / "gps/20120305.gpx"), c.gpxWritten);
    if (c.gpxBlocked) {
        ASSERT_EQ(report.failures.size(), 1u);
        EXPECT_EQ(report.failures[0].file, "gps/20120305.gpx");
        EXPECT_EQ(report.failures[0].why.kind, BackupProblem::kCopyFailed);
        EXPECT_EQ(report.failures[0].why.error, EISDIR);
    } else {
        EXPECT_TRUE(report.Complete());
    }
    const std::string sums = ReadFile(backup.Path() / "SHA256SUMS");
    EXPECT_EQ(sums.find("gps/20120305.gpx") != std::string::npos, c.gpxWritten);
    const std::string check =
        "cd '" + backup.Path().string() + "' && sha256sum --quiet -c SHA256SUMS";
    EXPECT_EQ(std::system(check.c_str()), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Tracks, BackupTrackTest,
    testing::Values(TrackCase{"Written", "142233 37.5 127.0 40 90\n", false, true},
                    TrackCase{"NoFixWhileRecording", "100000 37.5 127.0 40 90\n", false, false},
                    TrackCase{"CannotBeWritten", "142233 37.5 127.0 40 90\n", true, false}),
    [](const auto& info) { return info.param.name; });

TEST(IsSameFolder, SeesThroughSpellingsOfOneFolder) {
    test::TempDir card;
    fs::create_directories(card.Path() / "sub");
    EXPECT_TRUE(IsSameFolder(card.Root(), card.Path().string()));
    EXPECT_TRUE(IsSameFolder(card.Root(), (card.Path() / "sub/..").string()));
    EXPECT_FALSE(IsSameFolder(card.Root(), (card.Path() / "sub").string()));
    EXPECT_FALSE(IsSameFolder(card.Root(), (card.Path() / "missing").string()));
}

TEST(WouldCopyOntoDataRoot, RefusesTheRootAndFoldersLinkedToItsOwn) {
    test::TempDir card, other;
    card.Write("video/a-1-1-1.avi", "a");
    card.Write("gps/20120305.gps", "g");
    fs::create_directories(other.Path() / "linked");
    fs::create_directory_symlink(card.Path() / "video", other.Path() / "linked/video");
    fs::create_directories(other.Path() / "sub");
    const DataRootPath root(card.Root());

    EXPECT_TRUE(WouldCopyOntoDataRoot(card.Path().string(), root));
    EXPECT_TRUE(WouldCopyOntoDataRoot((other.Path() / "linked").string(), root));
    EXPECT_FALSE(WouldCopyOntoDataRoot(other.Root(), root));
    // Below the root is a different folder: video/video, not video.
    EXPECT_FALSE(WouldCopyOntoDataRoot(card.Root() + "video", root));
}

}  // namespace
}  // namespace tramlet
