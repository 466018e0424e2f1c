// An ingest killed at random moments, then run again, ends in the library
// that one uninterrupted run makes, and never leaves a half-written file in
// place.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <random>
#include <thread>

#include "library_checks.h"
#include "support/temp_dir.h"

extern char** environ;

namespace tramlet::library::test {
namespace {

using Clock = std::chrono::steady_clock;

pid_t StartIngest(const std::string& card, const std::string& library) {
    const std::vector<std::string> args = {
        TRAMLET_LIBRARY_BIN, "ingest", "-q", "--vehicle", "v", card, library};
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    posix_spawn(&pid, argv[0], &quiet, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&quiet);
    return pid;
}

// Files in place (not in a staging folder) that the finished library does
// not hold: half-written, or never meant to be there.
std::vector<std::string> StrayFiles(const std::vector<std::string>& tree,
                                    const std::vector<std::string>& finished) {
    std::vector<std::string> stray;
    for (const std::string& line : tree) {
        const bool staged = line.find("/.tramlet-ingest@") != std::string::npos;
        if (!staged && !line.ends_with("/") &&
            !std::binary_search(finished.begin(), finished.end(), line))
            stray.push_back(line);
    }
    return stray;
}

TEST(LibraryKillTest, AKilledIngestEndsAsOneUninterruptedRun) {
    tramlet::test::TempDir dir;
    const std::string card = (dir.Path() / "card").string();
    std::string error;
    ASSERT_TRUE(Simcard(card,
                        {"--start", "20240501-100000", "--recordings", "4", "--channels", "1234",
                         "--duration", "3"},
                        &error))
        << error;
    ASSERT_TRUE(Simcard(
        card, {"--start", "20240501-100100", "--channels", "12", "--duration", "3", "--unclosed"},
        &error))
        << error;

    const std::string reference = (dir.Path() / "reference").string();
    const auto started = Clock::now();
    ASSERT_EQ(RunLibrary({"ingest", "-q", "--vehicle", "v", card, reference}).status, 0);
    const auto runTime = Clock::now() - started;
    const std::vector<std::string> finished = TreeOf(reference);

    const std::string library = (dir.Path() / "library").string();
    const unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    std::uniform_int_distribution<long long> moment(
        0, std::chrono::duration_cast<std::chrono::microseconds>(runTime).count());
    for (int round = 0; round < 8; ++round) {
        const pid_t pid = StartIngest(card, library);
        ASSERT_GT(pid, 0);
        std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        EXPECT_EQ(StrayFiles(TreeOf(library), finished), std::vector<std::string>{})
            << "round " << round << ", seed " << seed;
    }
    const ToolRun last = RunLibrary({"ingest", "-q", "--vehicle", "v", card, library});
    EXPECT_EQ(last.status, 0) << last.out << last.err;
    EXPECT_EQ(TreeOf(library), finished) << "seed " << seed;
    EXPECT_EQ(IndexRows(library), IndexRows(reference)) << "seed " << seed;
}

}  // namespace
}  // namespace tramlet::library::test
