// The command-line tools, run as programs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/run_command.h"
#include "support/temp_dir.h"

namespace tramlet {
namespace {

using test::RunCommand;

constexpr const char* kMissing = "/nonexistent/tramlet-card";

// The conventions all three share: help on stdout with 0, a usage error on
// stderr with 2, a failure on stderr with 1 and nothing on stdout.
struct ConventionCase {
    std::vector<std::string> argv;
    int exit;
    std::string out;  // stdout begins with it; empty: stdout is empty
    std::string err;  // stderr holds it; empty: stderr is empty
};

void PrintTo(const ConventionCase& c, std::ostream* os) {
    for (const std::string& arg : c.argv)
        *os << arg << ' ';
}

class ToolConventions : public testing::TestWithParam<ConventionCase> {};

TEST_P(ToolConventions, ExitStatusAndStreamsTellHelpFromUsageFromFailure) {
    const ConventionCase& c = GetParam();
    const test::CommandResult run = RunCommand(c.argv);
    EXPECT_EQ(run.exitCode, c.exit) << run.out << run.err;
    if (c.out.empty())
        EXPECT_EQ(run.out, "");
    else
        EXPECT_EQ(run.out.rfind(c.out, 0), 0u) << run.out;
    if (c.err.empty())
        EXPECT_EQ(run.err, "");
    else
        EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
}

const std::string kCardinfo = TRAMLET_CARDINFO_BIN;
const std::string kRepair = TRAMLET_REPAIR_BIN;
const std::string kExport = TRAMLET_EXPORT_BIN;

INSTANTIATE_TEST_SUITE_P(
    Tools, ToolConventions,
    testing::Values(
        ConventionCase{{kCardinfo, "--help"}, 0, "usage: tramlet-cardinfo", ""},
        ConventionCase{{kCardinfo, "-h"}, 0, "usage: tramlet-cardinfo", ""},
        ConventionCase{{kCardinfo, "--frobnicate"}, 2, "", "unknown option --frobnicate"},
        ConventionCase{{kCardinfo, kMissing}, 1, "", "No such file or directory"},
        ConventionCase{{kRepair, "-h"}, 0, "usage: tramlet-repair", ""},
        ConventionCase{{kRepair, "--frobnicate", "/tmp"}, 2, "", "Try 'tramlet-repair --help'"},
        ConventionCase{{kRepair, kMissing}, 1, "", "no such file or folder"},
        ConventionCase{{kExport, "-h"}, 0, "usage: tramlet-export", ""},
        ConventionCase{{kExport, "video", "--help"}, 0, "usage: tramlet-export", ""},
        ConventionCase{{kExport, "video", "--frobnicate"}, 2, "", "unknown option --frobnicate"},
        ConventionCase{{kExport, "track", "--day", "20261302", kMissing, "x.gpx"},
                       2,
                       "",
                       "--day wants a date YYYYMMDD"},
        ConventionCase{{kExport, "video", "--from", "20261202-081200", "--to", "20261202-081300",
                        kMissing, "/tmp/x.mp4"},
                       1,
                       "",
                       "no such data root"},
        ConventionCase{{kExport, "track", "--day", "20261202", kMissing, "x.gpx"},
                       1,
                       "",
                       "no such data root"}),
    [](const auto& info) { return std::to_string(info.index); });

TEST(Cardinfo, ListsWhatACardHoldsAsItIs) {
    test::TempDir card;
    for (const char* clip :
         {"20120305-142233-4-60.avi", "20120305-142233-2-60.avi", "20120305-142233-3-60.avi",
          "20120305-142233-1-60.avi", "20120305-150000-1-30.avi", "20121305-100000-1-60.avi"}) {
        card.Write(std::string("video/") + clip, "");
    }
    card.Write("gps/20120305.gps",
               "142233 37.566500 126.978000 40 90\n100000 99.999 999.9 10 10\n");
    const test::CommandResult run = RunCommand({kCardinfo, card.Root()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out,
              "2012-03-05  2 recordings, 0 unfinished clips, GPS fixes: 1, lines skipped: 1\n"
              "  14:22:33    60 s  channels 1234  at 37.566500 126.978000\n"
              "  15:00:00    30 s  channels 1     no GPS fix\n");
}

}  // namespace
}  // namespace tramlet
