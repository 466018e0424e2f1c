#include "catalogue/clip_name.h"

#include <gtest/gtest.h>

#include "catalogue/storage_layout.h"

namespace tramlet {
namespace {

struct ParseCase {
    const char* name;
    bool isClip;
    ClipName expected;
};

void PrintTo(const ParseCase& c, std::ostream* os) {
    *os << c.name;
}

class ParseClipNameTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseClipNameTest, ReadsFieldsLikeAFormattedRead) {
    const ParseCase& c = GetParam();
    const auto parsed = ParseClipName(c.name);
    ASSERT_EQ(parsed.has_value(), c.isClip) << c.name;
    if (!c.isClip)
        return;
    const ClipName& e = c.expected;
    EXPECT_EQ(parsed->year, e.year);
    EXPECT_EQ(parsed->month, e.month);
    EXPECT_EQ(parsed->day, e.day);
    EXPECT_EQ(parsed->hour, e.hour);
    EXPECT_EQ(parsed->minute, e.minute);
    EXPECT_EQ(parsed->second, e.second);
    EXPECT_EQ(parsed->channel, e.channel);
    EXPECT_EQ(parsed->duration, e.duration);
}

INSTANTIATE_TEST_SUITE_P(
    Names, ParseClipNameTest,
    testing::Values(ParseCase{"20120305-142233-2-60.avi", true, {2012, 3, 5, 14, 22, 33, 2, 60}},
                    ParseCase{"20120305-142233-1-0.avi", true, {2012, 3, 5, 14, 22, 33, 1, 0}},
                    ParseCase{"20120305-142233-5-60.avi", true, {2012, 3, 5, 14, 22, 33, 5, 60}},
                    ParseCase{
                        "20120305-142233-12-3600.avi", true, {2012, 3, 5, 14, 22, 33, 12, 3600}},
                    // Widths are maxima: a group ends early at a non-digit.
                    ParseCase{"2012035-142233-1-60.avi", true, {2012, 3, 5, 14, 22, 33, 1, 60}},
                    ParseCase{"2012-3-5-1-60.avi", false, {}},
                    ParseCase{"20120305-1-1-60.avi", false, {}},
                    // Seven numbers are not a clip.
                    ParseCase{"20120305-142233-1.avi", false, {}},
                    ParseCase{"20120305-142233-1-.avi", false, {}},
                    ParseCase{"video.avi", false, {}}, ParseCase{"", false, {}},
                    // The extension is not checked again after the search.
                    ParseCase{"20120305-142233-3-59.AVI", true, {2012, 3, 5, 14, 22, 33, 3, 59}},
                    ParseCase{"20120305-142233-3-59", true, {2012, 3, 5, 14, 22, 33, 3, 59}},
                    // Signs take a place of the width, as in a formatted read.
                    ParseCase{"20120305-142233--1-60.avi", true, {2012, 3, 5, 14, 22, 33, -1, 60}},
                    // Huge numbers saturate instead of wrapping.
                    ParseCase{"20120305-142233-1-99999999999999.avi",
                              true,
                              {2012, 3, 5, 14, 22, 33, 1, 2147483647}}));

TEST(ClipName, CoversItsSecondsOfTheDay) {
    const ClipName c = *ParseClipName("20120305-142233-2-60.avi");
    EXPECT_EQ(c.StartSecond(), 51753);
    EXPECT_EQ(c.StartSecond() + c.duration, 51813);
    EXPECT_EQ(c.channel - 1, 1);
    EXPECT_TRUE(c.HasValidChannel());
    EXPECT_FALSE(c.IsUnfinished());
    EXPECT_TRUE(ParseClipName("20120305-142233-1-0.avi")->IsUnfinished());
    EXPECT_FALSE(ParseClipName("20120305-142233-5-60.avi")->HasValidChannel());
}

TEST(ClipName, FormatsBackToTheSameName) {
    for (const char* name : {"20120305-142233-2-60.avi", "00010101-000000-4-1.avi"}) {
        EXPECT_EQ(ParseClipName(name)->FileName(), name);
    }
    EXPECT_EQ(ParseClipName("20120305-142233-2-60.avi")->Stamp(), "20120305-142233");
}

TEST(StorageLayout, PathsAndPatternsBelowTheDataRoot) {
    const DataRootPath root("/media/card/");
    EXPECT_EQ(AllClipsPattern(root), "/media/card/video/*.avi");
    EXPECT_EQ(AllClipsByShapePattern(root), "/media/card/video/*-*-*-*.avi");
    EXPECT_EQ(DayClipsPattern(root, 2012, 3, 5), "/media/card/video/20120305-*-*-*.avi");
    EXPECT_EQ(RecordingClipsPattern(root, 2012, 3, 5, 14, 22, 33),
              "/media/card/video/20120305-142233-*-*.avi");
    EXPECT_EQ(ChannelClipByStampPattern(root, "20120305-142233", 3),
              "/media/card/video/20120305-142233-3-*.avi");
    EXPECT_EQ(ChannelClipPattern(root, 2012, 3, 5, 14, 22, 33, 3),
              "/media/card/video/20120305-142233-3-*.avi");
    EXPECT_EQ(ClipPath(root, "20120305-142233-3-59.avi"),
              "/media/card/video/20120305-142233-3-59.avi");
    EXPECT_EQ(RepairedClipPath(root, 2012, 3, 5, 14, 22, 33, 1, 61),
              "/media/card/video/20120305-142233-1-61.avi");
    EXPECT_EQ(GpsLogPath(root, 2012, 3, 5), "/media/card/gps/20120305.gps");
    EXPECT_EQ(VideoFolder(root), "/media/card/video");
    EXPECT_EQ(GpsFolder(root), "/media/card/gps");
    EXPECT_EQ(RelativeClipPath("20120305-142233-3-59.avi"), "video/20120305-142233-3-59.avi");
    EXPECT_EQ(RelativeGpsLogPath(2012, 3, 5), "gps/20120305.gps");
    EXPECT_EQ(StartStamp(2012, 3, 5, 4, 2, 3), "20120305-040203");
}

}  // namespace
}  // namespace tramlet
