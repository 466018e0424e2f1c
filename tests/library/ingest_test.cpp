// tramlet-library ingest and verify on simulator cards, as a user runs them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "library_checks.h"
#include "support/temp_dir.h"

namespace tramlet::library::test {
namespace {

namespace fs = std::filesystem;

class IngestTest : public ::testing::Test {
  protected:
    std::string Path(const std::string& name) const { return (dir_.Path() / name).string(); }
    void Sim(const std::string& card, const std::vector<std::string>& args) {
        std::string error;
        ASSERT_TRUE(Simcard(Path(card), args, &error)) << error;
    }
    ToolRun Ingest(const std::string& card, const std::vector<std::string>& options = {}) {
        std::vector<std::string> args = {"ingest", "--json", "-q"};
        args.insert(args.end(), options.begin(), options.end());
        args.push_back(Path(card));
        args.push_back(library_);
        return RunLibrary(args);
    }

    tramlet::test::TempDir dir_;
    std::string library_ = Path("library");
};

// The action and library path the ingest reported for a card file.
std::pair<std::string, std::string> Outcome(const ToolRun& run, const std::string& cardName) {
    for (const auto& file : run.json["files"]) {
        if (file["card_name"] == cardName) {
            return {file["action"],
                    file["library_path"].is_null() ? "" : file["library_path"].get<std::string>()};
        }
    }
    return {"not reported", ""};
}

std::vector<std::string> WithoutHashes(const std::vector<std::string>& tree) {
    std::vector<std::string> names;
    for (const std::string& line : tree)
        names.push_back(line.substr(0, line.find(' ')));
    return names;
}

TEST_F(IngestTest, KeepsACardOnceAndKnowsItAgain) {
    Sim("card",
        {"--start", "20240501-100000", "--recordings", "2", "--channels", "12", "--duration", "2"});
    Sim("card", {"--start", "20240501-100010", "--duration", "2", "--unclosed"});
    const std::vector<std::string> card = TreeOf(Path("card"));

    const ToolRun first = Ingest("card", {"--vehicle", "버스 1"});
    ASSERT_EQ(first.status, 0) << first.out << first.err;
    EXPECT_EQ(first.json["summary"]["copied"], 5);
    EXPECT_EQ(first.json["summary"]["repaired"], 1);
    EXPECT_EQ(
        Outcome(first, "video/20240501-100010-1-0.avi"),
        std::make_pair(std::string("repaired"), std::string("video/20240501-100010-1-2.avi")));
    // Laid out as the card, the unfinished clip under its repaired name;
    // the card itself untouched.
    std::vector<std::string> expected = WithoutHashes(card);
    std::replace(expected.begin(), expected.end(), std::string("video/20240501-100010-1-0.avi"),
                 std::string("video/20240501-100010-1-2.avi"));
    std::erase(expected, std::string(".version"));
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(WithoutHashes(TreeOf(library_ + "/버스 1")), expected);
    EXPECT_EQ(TreeOf(Path("card")), card);
    const std::vector<std::string> rows = IndexRows(library_);

    // Known again by the card alone: the remembered vehicle, nothing copied.
    const ToolRun again = Ingest("card");
    ASSERT_EQ(again.status, 0) << again.out << again.err;
    EXPECT_EQ(again.json["vehicle"], "버스 1");
    EXPECT_EQ(again.json["summary"]["skipped"], 6);
    EXPECT_EQ(IndexRows(library_), rows);
}

TEST_F(IngestTest, GrowsLogsNeverShortensThemAndKeepsConflictsAside) {
    Sim("a", {"--start", "20240501-100000", "--duration", "2"});
    ASSERT_EQ(Ingest("a", {"--vehicle", "v"}).status, 0);
    // The same card later: another recording, and the day's log grew.
    fs::copy(Path("a"), Path("b"), fs::copy_options::recursive);
    Sim("b", {"--start", "20240501-100020", "--duration", "2"});
    // Another card whose recorder's clock was reset: the same name, other bytes.
    Sim("c", {"--start", "20240501-100000", "--duration", "2", "--size", "320x180"});

    const std::string clip = "video/20240501-100000-1-2.avi";
    const std::string log = "gps/20240501.gps";
    // A card holding the start of that log only, never ingested.
    std::ifstream grown(Path("b") + "/" + log);
    std::string firstLine;
    std::getline(grown, firstLine);
    dir_.Write("d/" + log, firstLine + "\n");

    struct Step {
        std::string card;
        int status;
        std::vector<std::pair<std::string, std::string>> outcomes;  // card file, action
    };
    const Step steps[] = {
        {"b", 0, {{log, "grown"}, {clip, "skipped"}, {"video/20240501-100020-1-2.avi", "copied"}}},
        {"a", 0, {{log, "skipped"}}},  // known from its first ingest
        {"d", 0, {{log, "kept_longer"}}},
        {"c", 1, {{clip, "conflict"}}},
        {"c", 0, {{clip, "skipped"}}},  // the conflict is known the next time
    };
    for (const Step& step : steps) {
        const ToolRun run = Ingest(step.card, {"--vehicle", "v"});
        EXPECT_EQ(run.status, step.status) << step.card << ": " << run.out << run.err;
        for (const auto& [file, action] : step.outcomes)
            EXPECT_EQ(Outcome(run, file).first, action) << step.card << " " << file;
    }
    const std::string conflict = Outcome(Ingest("c", {"--vehicle", "v"}), clip).second;
    ASSERT_TRUE(conflict.starts_with("conflicts/") && conflict.ends_with("/" + clip)) << conflict;
    EXPECT_EQ(TreeOf(library_ + "/v/" + conflict.substr(0, conflict.size() - clip.size())),
              (std::vector<std::string>{"video/", clip + " " + RowsOf(TreeOf(Path("c")), clip)[0]}))
        << "the card's bytes are kept under conflicts/";
    const std::vector<std::string> kept = TreeOf(library_ + "/v");
    EXPECT_EQ(RowsOf(kept, log), RowsOf(TreeOf(Path("b")), log)) << "the longer log stays";
    EXPECT_EQ(RowsOf(kept, clip), RowsOf(TreeOf(Path("a")), clip)) << "never overwritten";
}

TEST_F(IngestTest, VerifyNamesMissingAndChangedFiles) {
    Sim("card", {"--start", "20240501-100000", "--recordings", "2", "--duration", "1"});
    ASSERT_EQ(Ingest("card", {"--vehicle", "v"}).status, 0);
    ASSERT_EQ(RunLibrary({"verify", "-q", library_}).status, 0);

    const std::string clip = library_ + "/v/video/20240501-100001-1-1.avi";
    {
        std::fstream file(clip, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(1000);
        file.put('\x5a');
    }
    fs::remove(library_ + "/v/gps/20240501.gps");
    const ToolRun run = RunLibrary({"verify", "--json", library_});
    EXPECT_EQ(run.status, 1);
    std::vector<std::string> findings;
    for (const auto& f : run.json["findings"])
        findings.push_back(f["path"].get<std::string>() + " " + f["problem"].get<std::string>());
    EXPECT_EQ(findings, (std::vector<std::string>{"gps/20240501.gps missing",
                                                  "video/20240501-100001-1-1.avi changed"}));
    EXPECT_EQ(run.json["checked"], 3);
}

TEST_F(IngestTest, RefusesWhatItCannotFollow) {
    Sim("card", {"--start", "20240501-100000", "--duration", "1"});
    const std::vector<std::vector<std::string>> usage = {
        {"ingest", Path("card")},               // no library
        {"ingest", Path("nowhere"), library_},  // no card
        {"ingest", Path("card"), library_},     // a folder on a disk: no label, no name
        {"ingest", "--vehicle", ".hidden", Path("card"), library_},
        {"find", "--near", "37.5,127", library_},  // no radius
        {"find", "--from", "2024-05-02", "--to", "2024-05-01", library_},
        {"verify", Path("nowhere")},
        {"frobnicate", library_},
    };
    for (const auto& args : usage)
        EXPECT_EQ(RunLibrary(args).status, 2) << ::testing::PrintToString(args);
}

}  // namespace
}  // namespace tramlet::library::test
