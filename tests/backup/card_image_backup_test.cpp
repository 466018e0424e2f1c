// Backups from a card that is pulled, and onto sticks that are full,
// read-only or not writable, all real FUSE-mounted exFAT images.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <utility>

#include "backup/backup_copier.h"
#include "support/card_image.h"
#include "support/temp_dir.h"

namespace tramlet {
namespace {

namespace fs = std::filesystem;
using test::CardImage;

std::vector<std::string> Leftovers(const fs::path& folder) {
    std::vector<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.path().filename().string().find(".part") != std::string::npos)
            found.push_back(entry.path().string());
    }
    return found;
}

// `count` clips of `size` bytes below root/video, and the plan that copies them.
std::vector<BackupItem> WriteClips(const std::string& root, int count, size_t size) {
    fs::create_directories(root + "video");
    std::vector<BackupItem> plan;
    for (int i = 1; i <= count; ++i) {
        const std::string name = "20240503-142233-" + std::to_string(i) + "-60.avi";
        std::ofstream(root + "video/" + name) << std::string(size, 'c');
        plan.push_back({root + "video/" + name, "video/" + name, false});
    }
    return plan;
}

BackupReport Copy(const std::string& to, const std::vector<BackupItem>& plan,
                  const BackupCopier::ProgressCallback& progress = {}) {
    std::atomic<bool> cancel{false};
    return BackupCopier(to).Run(plan, progress, cancel);
}

// Runs the copy as an ordinary user, since root may write anywhere; returns
// the first failure's problem and errno as the child saw them.
std::pair<int, int> FirstFailureAsNobody(const std::string& to,
                                         const std::vector<BackupItem>& plan) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return {-1, errno};
    const pid_t child = fork();
    if (child == 0) {
        close(pipeFds[0]);
        int answer[2] = {-1, 0};
        if (setgroups(0, nullptr) == 0 && setgid(65534) == 0 && setuid(65534) == 0) {
            const BackupReport report = Copy(to, plan);
            if (!report.failures.empty())
                answer[0] = static_cast<int>(report.failures[0].why.kind),
                answer[1] = report.failures[0].why.error;
        }
        (void)!write(pipeFds[1], answer, sizeof answer);
        _exit(0);
    }
    close(pipeFds[1]);
    int answer[2] = {-1, 0};
    (void)!read(pipeFds[0], answer, sizeof answer);
    close(pipeFds[0]);
    waitpid(child, nullptr, 0);
    return {answer[0], answer[1]};
}

class CardImageBackup : public testing::Test {
  protected:
    void SetUp() override {
        if (const std::string why = CardImage::Unavailable(); !why.empty())
            GTEST_SKIP() << why;
    }
    test::TempDir here_;
};

TEST_F(CardImageBackup, APulledCardNamesWhatWasNotCopiedAndLeavesNoTemporaries) {
    CardImage card(CardImage::Format::kExFat);
    ASSERT_EQ(card.Error(), "");
    const std::vector<BackupItem> plan = WriteClips(card.Root(), 4, 300000);
    const std::string second = plan[1].relativeDestination;
    const BackupReport report = Copy(here_.Root(), plan, [&](const BackupProgress& p) {
        if (p.currentFile == second && p.bytesDone == 300000)
            card.PullLazily();
    });
    EXPECT_EQ(report.copied, std::vector<std::string>{plan[0].relativeDestination});
    ASSERT_EQ(report.failures.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(report.failures[i].file, plan[i + 1].relativeDestination);
        EXPECT_EQ(report.failures[i].why.kind, BackupProblem::kCardRemoved);
    }
    EXPECT_TRUE(Leftovers(here_.Path()).empty());
}

struct StickCase {
    const char* name;
    int megabytes;
    std::vector<std::string> mountOptions;
    bool asNobody;
    BackupProblem problem;
    int error;
};

class BackupOntoStick : public CardImageBackup, public testing::WithParamInterface<StickCase> {};

TEST_P(BackupOntoStick, TellsTheRealCauseAndLeavesNoTemporaries) {
    const StickCase& c = GetParam();
    CardImage stick(CardImage::Format::kExFat, "STICK", c.megabytes, c.mountOptions);
    ASSERT_EQ(stick.Error(), "");
    // Readable by anyone: the copy may run as an ordinary user.
    fs::permissions(here_.Path(), fs::perms::owner_all | fs::perms::group_read |
                                      fs::perms::group_exec | fs::perms::others_read |
                                      fs::perms::others_exec);
    const auto plan = WriteClips(here_.Root(), 4, 1500000);
    std::pair<int, int> first;
    if (c.asNobody) {
        first = FirstFailureAsNobody(stick.Root(), plan);
    } else {
        const BackupReport report = Copy(stick.Root(), plan);
        ASSERT_FALSE(report.failures.empty());
        first = {static_cast<int>(report.failures[0].why.kind), report.failures[0].why.error};
    }
    EXPECT_EQ(first, (std::pair{static_cast<int>(c.problem), c.error}));
    EXPECT_TRUE(Leftovers(stick.MountPath()).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Sticks, BackupOntoStick,
    testing::Values(
        StickCase{"Full", 6, {}, false, BackupProblem::kCopyFailed, ENOSPC},
        StickCase{"ReadOnly", 8, {"ro"}, false, BackupProblem::kFolderNotMade, EROFS},
        StickCase{"NotWritable", 8, {"umask=0222"}, true, BackupProblem::kFolderNotMade, EACCES}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tramlet
