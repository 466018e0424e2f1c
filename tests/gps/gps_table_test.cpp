#include "gps/gps_table.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <clocale>
#include <cmath>
#include <filesystem>
#include <optional>
#include <string>

#include "support/temp_dir.h"

namespace tramlet {
namespace {

struct LineCase {
    std::string text;
    int second;  // entry to look at
    GpsEntry expected;
    int skipped = 0;  // lines that stored nothing
};

void PrintTo(const LineCase& c, std::ostream* os) {
    *os << "entry " << c.second;
}

class GpsLineTest : public testing::TestWithParam<LineCase> {};

TEST_P(GpsLineTest, StoresWhatTheLinesCarry) {
    const LineCase& c = GetParam();
    GpsTable table;
    const GpsLoadReport report = table.LoadGpsText(c.text);
    EXPECT_EQ(report.skipped, c.skipped);
    EXPECT_EQ(report.fixes, table.FixCount());
    const GpsEntry& e = table.FindGpsFix(c.second);
    EXPECT_EQ(e.present, c.expected.present);
    EXPECT_DOUBLE_EQ(e.latitude, c.expected.latitude);
    EXPECT_DOUBLE_EQ(e.longitude, c.expected.longitude);
    EXPECT_DOUBLE_EQ(e.speedKmh, c.expected.speedKmh);
    EXPECT_DOUBLE_EQ(e.heading, c.expected.heading);
}

// Expected entries are written {present, speedKmh, heading, latitude, longitude}.
INSTANTIATE_TEST_SUITE_P(
    Lines, GpsLineTest,
    testing::Values(
        LineCase{"142305 37.566500 126.978000 45 180\n", 51785, {1, 45, 180, 37.5665, 126.978}},
        LineCase{
            "142305\t  37.566500   126.978000\t45 180\r\n", 51785, {1, 45, 180, 37.5665, 126.978}},
        LineCase{"   142305 1 2 3 4 5 6 7\n", 51785, {1, 3, 4, 1, 2}},
        LineCase{"100000\n", 36000, {1, 0, 0, 0, 0}},
        LineCase{"100000 1 2 3 4\n100000 5 6\n", 36000, {1, 3, 4, 5, 6}},
        LineCase{"100000 1 2 3 4 \r\n100000 5 6 7 8\r\n100000 9\r\n", 36000, {1, 7, 8, 9, 6}},
        // Only the sum is tested: 10:75:00 is 40500.
        LineCase{"107500 1 2 3 4\n", 40500, {1, 3, 4, 1, 2}},
        LineCase{"235960 1 2 3 4\n", 0, {0, 0, 0, 0, 0}, 1},
        LineCase{"235959 1 2 3 4", 86399, {1, 3, 4, 1, 2}},
        // atof rules: the leading number, 0 when there is none.
        LineCase{"100000 12.5abc north 7 +2e1\n", 36000, {1, 7, 20, 12.5, 0}},
        LineCase{"100000 0x10 .5 .25 -1e1\n", 36000, {1, 0.25, -10, 16, 0.5}},
        // A time token that is not three numbers skips its line.
        LineCase{"10:00:00 1 2 3 4\n", 36000, {0, 0, 0, 0, 0}, 1},
        LineCase{"1000 1 2 3 4\n", 600, {0, 0, 0, 0, 0}, 1},
        LineCase{"-10000 1 2 3 4\n", 0, {0, 0, 0, 0, 0}, 1},
        // Values no place and no car can have are no fix: the second stays
        // empty, or keeps what an earlier line stored.
        LineCase{"100000 99.999 999.9 10 10\n", 36000, {0, 0, 0, 0, 0}, 1},
        LineCase{"100000 -90.0001 0 0 0\n100000 0 180.5\n100000 0 -181\n", 36000, {}, 3},
        LineCase{"100000 1 2 -0.5\n100000 1 2 400.01\n", 36000, {0, 0, 0, 0, 0}, 2},
        LineCase{"100000 nan 2\n100000 1 inf\n100000 1 2 3 1e999\n", 36000, {}, 3},
        LineCase{"100000 90 -180 400 -7\n", 36000, {1, 400, -7, 90, -180}},
        LineCase{"100000 -90 180 0\n", 36000, {1, 0, 0, -90, 180}},
        LineCase{"100000 1 2 3 4\n100000 500 6\n", 36000, {1, 3, 4, 1, 2}, 1},
        LineCase{"100000 1 2 -5\n100000 5 6\n", 36000, {1, 0, 0, 5, 6}, 1},
        // Text after a NUL byte is not part of the line.
        LineCase{std::string("100000 1\0 2 3 4\n", 16), 36000, {1, 0, 0, 1, 0}}));

TEST(GpsTable, AnOverlongLineStaysOneLine) {
    // The tail of a long line must not be read as a fix of its own.
    std::string log = "100000 1 2 3 4 " + std::string(300, 'x') + " 120000 9 9 9 9\n";
    log += "100001 " + std::string(5'000'000, '0') + "1 5\n";
    GpsTable table;
    table.LoadGpsText(log);
    EXPECT_EQ(table.FindGpsFix(43200).present, 0);
    EXPECT_EQ(table.FindGpsFix(36000).latitude, 1);
    const GpsEntry& longFix = table.FindGpsFix(36001);
    EXPECT_EQ(longFix.present, 1);
    // Read by its first 64 KiB, so memory stays bounded.
    EXPECT_EQ(longFix.latitude, 0);
    EXPECT_EQ(longFix.longitude, 0);
}

TEST(GpsTable, LookupLooksForwardAtMost601Seconds) {
    GpsTable table;
    table.LoadGpsText("101001 1 2 3 4\n");  // second 36601
    EXPECT_EQ(table.FindGpsFix(36000).latitude, 1);
    EXPECT_EQ(table.FindGpsFix(36601).latitude, 1);
    EXPECT_EQ(table.FindGpsFix(36602).present, 0);

    table.LoadGpsText("101002 1 2 3 4\n");  // second 36602, one too far
    const GpsEntry& none = table.FindGpsFix(36000);
    EXPECT_EQ(none.present, 0);
    EXPECT_EQ(none.latitude, 0);
    EXPECT_EQ(table.FindGpsFix(36001).latitude, 1);
}

TEST(GpsTable, LookupPastTheLastFixFallsBackToMidnight) {
    GpsTable table;
    table.LoadGpsText("230000 1 2 3 4\n000000 8 9\n");
    EXPECT_EQ(table.FindGpsFix(85800).latitude, 8);
    EXPECT_EQ(table.FindGpsFix(86400).latitude, 8);
    EXPECT_EQ(table.FindGpsFix(-5).latitude, 8);
    EXPECT_EQ(table.FindGpsFix(82800).latitude, 1);
    // Never looks back, even one second.
    EXPECT_EQ(table.FindGpsFix(82801).present, 0);
}

TEST(GpsTable, LoadingADayWithoutALogForgetsTheDayBefore) {
    test::TempDir card;
    card.Write("gps/20120305.gps", "142305 37.566500 126.978000 45 180\n\n \r\n142306 x\n");
    GpsTable table;
    const GpsLoadReport day = table.LoadGpsLog(DataRootPath(card.Root()), 2012, 3, 5);
    EXPECT_TRUE(day.read);
    EXPECT_EQ(day.lines, 2);
    EXPECT_EQ(day.fixes, 2);
    EXPECT_EQ(table.FindGpsFix(51785).present, 1);
    const GpsLoadReport none = table.LoadGpsLog(DataRootPath(card.Root()), 2012, 3, 6);
    EXPECT_FALSE(none.read);
    EXPECT_EQ(none.lines, 0);
    EXPECT_EQ(table.LastLoad().fixes, 0);
    EXPECT_EQ(table.FindGpsFix(51785).present, 0);
    EXPECT_EQ(table.FindGpsFix(0).present, 0);
}

TEST(GpsTable, NumbersIgnoreTheUsersLocale) {
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "fr_FR.UTF-8")) {
        GTEST_SKIP() << "no locale with a decimal comma installed";
    }
    GpsTable table;
    table.LoadGpsText("142305 37.566500 126,978000\n");
    EXPECT_DOUBLE_EQ(table.FindGpsFix(51785).latitude, 37.5665);
    EXPECT_DOUBLE_EQ(table.FindGpsFix(51785).longitude, 126);
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(GpsTable, SaysWhyALogWasNotRead) {
    test::TempDir card;
    card.Write("gps/20120305.gps", "142305 37.566500 126.978000 45 180\n");
    std::filesystem::create_directories(card.Path() / "gps/20120306.gps");  // not a file
    const struct {
        int day;
        std::optional<GpsLogProblem> problem;
        int error;
    } cases[] = {{5, std::nullopt, 0},
                 {6, GpsLogProblem::kUnreadable, EISDIR},
                 {7, GpsLogProblem::kMissing, ENOENT}};
    for (const auto& c : cases) {
        GpsTable table;
        const GpsLoadReport report = table.LoadGpsLog(DataRootPath(card.Root()), 2012, 3, c.day);
        SCOPED_TRACE(c.day);
        EXPECT_EQ(report.read, !c.problem);
        ASSERT_EQ(report.failure.has_value(), c.problem.has_value());
        if (c.problem) {
            EXPECT_EQ(report.failure->kind, *c.problem);
            EXPECT_EQ(report.failure->error, c.error);
            EXPECT_NE(report.failure->text.find("2012030" + std::to_string(c.day)),
                      std::string::npos);
        }
    }
}

TEST(GpsTable, HostileFilesStayInsideTheTable) {
    test::TempDir card;
    std::string binary;
    for (int i = 0; i < 1 << 20; ++i)
        binary.push_back(static_cast<char>((i * 2654435761u) >> 13));
    card.Write("gps/20120305.gps", binary);
    card.Write("gps/20120306.gps", "");
    GpsTable table;
    table.LoadGpsLog(DataRootPath(card.Root()), 2012, 3, 5);
    table.LoadGpsLog(DataRootPath(card.Root()), 2012, 3, 6);
    EXPECT_EQ(table.FindGpsFix(0).present, 0);
}

}  // namespace
}  // namespace tramlet
