#include "gps/gpx_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/run_command.h"
#include "support/temp_dir.h"

namespace tramlet {
namespace {

namespace fs = std::filesystem;

constexpr int kSeoul = 9 * 3600;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

int Count(const std::string& text, const std::string& what) {
    int count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

// Two recordings (one of two channels) with fixes around their edges, a
// recording without any fix, and a clip of the day before.
class GpxWriterTest : public testing::Test {
  protected:
    void SetUp() override {
        for (const char* clip :
             {"20261202-081200-1-5.avi", "20261202-081200-2-4.avi", "20261202-081300-1-3.avi",
              "20261202-090000-1-10.avi", "20261201-081300-1-60.avi"}) {
            card.Write(std::string("video/") + clip, "");
        }
        card.Write("gps/20261202.gps",
                   "081159 37.000000 127.000000 10 0\n"
                   "081200 37.566500 126.978000 45 90\n"
                   "081201 37.566600 126.978100 45 90\n"
                   "081202 37.566700 126.978200 45 90\n"
                   "081203 37.566800 126.978300 45 90\n"
                   "081204 37.566900 126.978400 36 90\n"
                   "081205 37.000000 127.000000 10 0\n"
                   "081300 37.570000 126.980000 0 0\n"
                   "081302 37.570200 126.980200 0 0\n");
    }
    GpxResult Write(int from, int to) const {
        return WriteDayGpx(
            {DataRootPath(card.Root()), {2026, 12, 2}, from, to, kSeoul, Out().string()});
    }
    fs::path Out() const { return out.Path() / "day.gpx"; }

    test::TempDir card;
    test::TempDir out;
};

struct TrackCase {
    const char* name;
    int from;
    int to;
    int points;
    int segments;
    const char* first;  // latitude, longitude, UTC date and time as gpsbabel prints them
    const char* last;
};

void PrintTo(const TrackCase& c, std::ostream* os) {
    *os << c.name;
}

class GpxTrackTest : public GpxWriterTest, public testing::WithParamInterface<TrackCase> {};

TEST_P(GpxTrackTest, GpsbabelReadsEverySecondWithAFix) {
    if (!test::HasProgram("gpsbabel"))
        GTEST_SKIP() << "gpsbabel is not installed";
    const TrackCase& c = GetParam();
    const GpxResult result = Write(c.from, c.to);
    ASSERT_TRUE(result) << result.error().text;
    EXPECT_EQ(*result, c.points);
    EXPECT_EQ(Count(ReadFile(Out()), "<trkseg>"), c.segments);

    const auto read = test::RunCommand(
        {"gpsbabel", "-t", "-i", "gpx", "-f", Out().string(), "-o", "unicsv,utc=0", "-F", "-"});
    ASSERT_EQ(read.exitCode, 0) << read.err;
    std::vector<std::string> points;
    std::istringstream lines(read.out);
    std::string line;
    std::getline(lines, line);         // the header
    while (std::getline(lines, line))  // "number,rest\r\n"
        points.push_back(line.substr(line.find(',') + 1, line.find('\r') - line.find(',') - 1));
    ASSERT_EQ(static_cast<int>(points.size()), c.points) << read.out;
    EXPECT_EQ(points.front(), c.first);
    EXPECT_EQ(points.back(), c.last);
}

INSTANTIATE_TEST_SUITE_P(Spans, GpxTrackTest,
                         testing::Values(TrackCase{"WholeDay", 0, 86400, 7, 2,
                                                   "37.566500,126.978000,2026/12/01,23:12:00",
                                                   "37.570200,126.980200,2026/12/01,23:13:02"},
                                         TrackCase{"FromInsideOneRecordingIntoTheNext", 29523,
                                                   29581, 3, 2,
                                                   "37.566800,126.978300,2026/12/01,23:12:03",
                                                   "37.570000,126.980000,2026/12/01,23:13:00"}),
                         [](const auto& info) { return info.param.name; });

struct FailureCase {
    const char* name;
    int from;
    int to;
    bool destinationIsAFolder;
    GpxError error;
    int errorNumber;
};

void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.name;
}

class GpxFailureTest : public GpxWriterTest, public testing::WithParamInterface<FailureCase> {};

TEST_P(GpxFailureTest, LeavesNothingBehind) {
    const FailureCase& c = GetParam();
    if (c.destinationIsAFolder)
        fs::create_directory(Out());
    const GpxResult result = Write(c.from, c.to);
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().kind, c.error);
    EXPECT_EQ(result.error().error, c.errorNumber);
    EXPECT_FALSE(result.error().text.empty());
    const auto names = std::distance(fs::directory_iterator(out.Path()), fs::directory_iterator());
    EXPECT_EQ(names, c.destinationIsAFolder ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Failures, GpxFailureTest,
                         testing::Values(FailureCase{"NoFixInTheSpan", 32400, 32410, false,
                                                     GpxError::kNoFix, 0},
                                         FailureCase{"CannotBePutInPlace", 0, 86400, true,
                                                     GpxError::kWriteFailed, EISDIR}),
                         [](const auto& info) { return info.param.name; });

// Fixes at the edges of what GPX 1.1 allows, judged as written, in a clip
// whose duration field is near the int range: its end must not wrap round
// to before its start.
TEST(GpxEdges, EveryFixIsWrittenWithinGpxRanges) {
    test::TempDir card;
    test::TempDir out;
    card.Write("video/20261203-235957-1-2147483647.avi", "");
    card.Write("gps/20261203.gps",
               "235957 37 179.9999996 10 0\n235958 -90 -180 0 0\n235959 90 -179.9999996 0 0\n");
    const fs::path file = out.Path() / "edges.gpx";
    const GpxResult result =
        WriteDayGpx({DataRootPath(card.Root()), {2026, 12, 3}, 0, 86400, 0, file.string()});
    ASSERT_TRUE(result) << result.error().text;
    EXPECT_EQ(*result, 3);
    const std::string text = ReadFile(file);
    for (const char* point :
         {R"(lat="37.000000" lon="-180.000000")", R"(lat="-90.000000" lon="-180.000000")",
          R"(lat="90.000000" lon="-180.000000")"}) {
        EXPECT_NE(text.find(point), std::string::npos) << point << "\n" << text;
    }
}

TEST_F(GpxWriterTest, NumbersKeepTheirPointUnderADecimalCommaLocale) {
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
        GTEST_SKIP() << "no de_DE locale";
    const GpxResult result = Write(29520, 29521);
    std::setlocale(LC_NUMERIC, saved.c_str());
    ASSERT_TRUE(result) << result.error().text;
    const std::string text = ReadFile(Out());
    EXPECT_NE(text.find(R"(<trkpt lat="37.566500" lon="126.978000">)"), std::string::npos) << text;
    EXPECT_NE(text.find("<gpxtpx:speed>12.50</gpxtpx:speed>"), std::string::npos) << text;
}

}  // namespace
}  // namespace tramlet
