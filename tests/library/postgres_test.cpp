// Ingests that run at once into one library whose index is in PostgreSQL:
// different cards and the same card, as workstations of a depot do.
#include <gtest/gtest.h>

#include <future>

#include "library_checks.h"
#include "support/temp_dir.h"

namespace tramlet::library::test {
namespace {

std::vector<std::string> WithoutBoxes(std::vector<std::string> rows) {
    std::erase_if(rows, [](const std::string& row) { return row.starts_with("boxes "); });
    return rows;
}

TEST(PostgresLibraryTest, IngestsAtOnceLeaveEveryFileAndRowOnce) {
    std::string why;
    const std::string database = NewPostgresDatabase(&why);
    if (database.empty())
        GTEST_SKIP() << why;
    tramlet::test::TempDir dir;
    const std::string a = (dir.Path() / "a").string(), b = (dir.Path() / "b").string();
    std::string error;
    ASSERT_TRUE(Simcard(
        a,
        {"--start", "20240501-100000", "--recordings", "4", "--channels", "12", "--duration", "2"},
        &error))
        << error;
    ASSERT_TRUE(Simcard(a, {"--start", "20240501-100100", "--duration", "2", "--unclosed"}, &error))
        << error;
    ASSERT_TRUE(Simcard(
        b,
        {"--start", "20240502-090000", "--recordings", "3", "--channels", "34", "--duration", "2"},
        &error))
        << error;

    // The same ingests one after the other, into SQLite.
    const std::string reference = (dir.Path() / "reference").string();
    for (const auto& [card, vehicle] : {std::pair{a, "bus"}, std::pair{b, "taxi"}})
        ASSERT_EQ(RunLibrary({"ingest", "-q", "--vehicle", vehicle, card, reference}).status, 0);

    const std::string library = (dir.Path() / "shared").string();
    const auto ingest = [&](const std::string& card, const std::string& vehicle) {
        return std::async(std::launch::async, [=] {
            return RunLibrary(
                {"ingest", "-q", "--database", database, "--vehicle", vehicle, card, library});
        });
    };
    std::vector<std::future<ToolRun>> runs;
    for (const auto& [card, vehicle] :
         {std::pair{a, "bus"}, std::pair{a, "bus"}, std::pair{b, "taxi"}, std::pair{a, "bus"}})
        runs.push_back(ingest(card, vehicle));
    for (std::future<ToolRun>& run : runs) {
        const ToolRun done = run.get();
        EXPECT_EQ(done.status, 0) << done.out << done.err;
    }
    EXPECT_EQ(TreeOf(library), TreeOf(reference));
    EXPECT_EQ(IndexRows(library, database), WithoutBoxes(IndexRows(reference)));
    EXPECT_EQ(RunLibrary({"verify", "-q", "--database", database, library}).status, 0);
}

}  // namespace
}  // namespace tramlet::library::test
