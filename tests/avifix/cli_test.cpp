// tramlet-repair, run as a program.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "card_builder.h"
#include "support/temp_dir.h"

namespace tramlet::avifix {
namespace {

struct ToolRun {
    int status;
    std::string out;
};

ToolRun Repair(const std::string& args) {
    const std::string command = std::string(TRAMLET_REPAIR_BIN) + " " + args + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    ToolRun r{-1, {}};
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, pipe)) > 0)
        r.out.append(buf, n);
    const int raw = pclose(pipe);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return r;
}

std::string Q(const std::filesystem::path& p) {
    return "'" + p.string() + "'";
}

std::string Str(const test::Bytes& b) {
    return std::string(b.begin(), b.end());
}

std::string Read(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(RepairTool, HelpAndUsageErrors) {
    const ToolRun help = Repair("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("usage: tramlet-repair"), std::string::npos);
    EXPECT_NE(help.out.find("\"summary\""), std::string::npos);
    EXPECT_EQ(Repair("").status, 2);
    EXPECT_EQ(Repair("--frobnicate /tmp").status, 2);
    tramlet::test::TempDir dir;
    const auto f = dir.Write("x.avi", "x");
    EXPECT_EQ(Repair(Q(dir.Path()) + " " + Q(f)).status, 2);
}

TEST(RepairTool, RepairsADataRoot) {
    tramlet::test::TempDir dir;
    dir.Write("video/20120305-142233-1-0.avi", Str(test::UnclosedClip(64)));
    dir.Write("video/20120305-142233-1-60.avi", Str(test::FinishedClip(1800, 30000)));
    dir.Write("video/notes.avi", "hello");
    const ToolRun r = Repair(Q(dir.Path()));
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(
        r.out.find("20120305-142233-1-0.avi: repaired and renamed to 20120305-142233-1-2.avi"),
        std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("20120305-142233-1-60.avi: left alone: finished clip"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("notes.avi: left alone: not a clip name"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("3 files: 1 repaired, 0 duration added, 2 left alone, 0 failed"),
              std::string::npos)
        << r.out;
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "video/20120305-142233-1-2.avi"));
    // Quiet and nothing left to do: nothing printed.
    const ToolRun again = Repair("-q " + Q(dir.Path()));
    EXPECT_EQ(again.status, 0);
    EXPECT_EQ(again.out, "");
}

TEST(RepairTool, JsonReportAndExitStatusOne) {
    tramlet::test::TempDir dir;
    dir.Write("video/20120305-142233-1-0.avi", Str(test::UnclosedClip(64)));
    dir.Write("video/20120305-142233-1-2.avi", Str(test::FinishedClip(60, 30000)));
    dir.Write("video/notes.avi", "hello");
    const ToolRun r = Repair("--json " + Q(dir.Path()));
    EXPECT_EQ(r.status, 1);
    for (const char* piece :
         {"\"dry_run\": false", "\"root\": \"", "\"class\": \"unclosed\"", "\"action\": \"failed\"",
          "\"rebuilt\": true", "\"frames\": 64", "\"frame_rate\": 30", "\"duration\": 2",
          "\"index_offset\": ", "\"renamed_to\": null", "\"class\": \"finished\"",
          "\"action\": \"left_alone\"",
          "\"class\": \"not_a_clip\", \"action\": \"left_alone\", \"reason\": \"not a clip name "
          "(YYYYMMDD-HHMMSS-C-D.avi)\", \"renamed_to\": null, \"rebuilt\": false, \"size\": 5,",
          "\"summary\": {\"files\": 3, \"repaired\": 0, \"duration_added\": 0, \"left_alone\": 2, "
          "\"failed\": 1, \"card_removed\": false, \"not_visited\": 0}",
          "\"exit_status\": 1"}) {
        EXPECT_NE(r.out.find(piece), std::string::npos) << piece << "\n" << r.out;
    }
}

TEST(RepairTool, DryRunWritesNothing) {
    tramlet::test::TempDir dir;
    const std::string clip = Str(test::UnclosedClip(64));
    const auto path = dir.Write("video/20120305-142233-1-0.avi", clip);
    const ToolRun r = Repair("--dry-run " + Q(dir.Path()));
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("would be repaired and renamed to 20120305-142233-1-2.avi"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(Read(path), clip);
    const ToolRun json = Repair("--dry-run --json " + Q(path));
    EXPECT_NE(json.out.find("\"dry_run\": true"), std::string::npos);
    EXPECT_NE(json.out.find("\"root\": null"), std::string::npos);
    EXPECT_NE(json.out.find("\"renamed_to\": \"" +
                            (dir.Path() / "video/20120305-142233-1-2.avi").string()),
              std::string::npos)
        << json.out;
    EXPECT_EQ(Read(path), clip);
}

TEST(RepairTool, RepairsNamedFilesInPlace) {
    tramlet::test::TempDir dir;
    const auto a = dir.Write("some/where/20120305-142233-1-0.avi", Str(test::UnclosedClip(95)));
    const auto b = dir.Write("20120305-142233-3-0.avi", Str(test::FinishedClip(600, 30000)));
    const ToolRun r = Repair(Q(a) + " " + Q(b) + " " + Q(dir.Path() / "20120305-142233-4-0.avi") +
                             " " + Q(dir.Path() / "gone.avi"));
    EXPECT_EQ(r.status, 1) << r.out;  // the missing file
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "some/where/20120305-142233-1-3.avi"));
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "20120305-142233-3-20.avi"));
    EXPECT_NE(r.out.find("duration added: renamed to 20120305-142233-3-20.avi"), std::string::npos)
        << r.out;
    // Files that do not exist are errors of their own, not clips that failed.
    EXPECT_NE(r.out.find("2 files: 1 repaired, 1 duration added"), std::string::npos) << r.out;
}

}  // namespace
}  // namespace tramlet::avifix
