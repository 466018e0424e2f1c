#include "catalogue/folder_listing.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>

#include "catalogue/storage_layout.h"
#include "catalogue/wildcard.h"
#include "support/temp_dir.h"

namespace tramlet {
namespace {

struct WildcardCase {
    const char* pattern;
    const char* name;
    bool matches;
};

void PrintTo(const WildcardCase& c, std::ostream* os) {
    *os << c.pattern << " ~ " << c.name;
}

class WildcardTest : public testing::TestWithParam<WildcardCase> {};

TEST_P(WildcardTest, MatchesLikeTheRecordersPlatform) {
    const WildcardCase& c = GetParam();
    EXPECT_EQ(MatchesWildcard(c.pattern, c.name), c.matches) << c.pattern << " vs " << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WildcardTest,
    testing::Values(
        WildcardCase{"*.avi", "20120305-142233-1-60.avi", true},
        WildcardCase{"*.avi", "20120305-142233-1-60.AVI", true},
        WildcardCase{"*.AVI", "clip.avi", true}, WildcardCase{"*.avi", ".avi", true},
        WildcardCase{"*.avi", "clip.avi.part", false}, WildcardCase{"*.avi", "clip.av", false},
        WildcardCase{"*-*-*-*.avi", "a-b-c-d.avi", true},
        WildcardCase{"*-*-*-*.avi", "---.avi", true},
        WildcardCase{"*-*-*-*.avi", "a-b-c.avi", false},
        WildcardCase{"20120305-*-*-*.avi", "20120305-142233-1-60.avi", true},
        WildcardCase{"20120305-*-*-*.avi", "20120306-142233-1-60.avi", false},
        WildcardCase{"20120305-142233-3-*.avi", "20120305-142233-3-59.avi", true},
        WildcardCase{"20120305-142233-3-*.avi", "20120305-142233-3-.avi", true},
        WildcardCase{"20120305-142233-3-*.avi", "20120305-142233-31-59.avi", false},
        WildcardCase{"abc", "ABC", true}, WildcardCase{"abc", "abcd", false},
        WildcardCase{"", "", true}, WildcardCase{"*", "", true}, WildcardCase{"", "a", false},
        // Only ASCII letters fold; other bytes compare as they are.
        WildcardCase{"\xC3\xA4.avi", "\xC3\x84.avi", false},
        // Many stars must not explode.
        WildcardCase{"*a*a*a*a*a*a*a*a*b", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", false}));

TEST(FolderListing, MissingFolderIsEmpty) {
    test::TempDir dir;
    EXPECT_TRUE(FolderListing::Read((dir.Path() / "video").string()).Names().empty());
    EXPECT_TRUE(FindFiles(AllClipsPattern(DataRootPath(dir.Root()))).empty());
}

TEST(FolderListing, ListsRegularFilesOnly) {
    test::TempDir dir;
    const auto clip = dir.Write("video/20120305-142233-1-60.avi", "");
    const std::filesystem::path video = dir.Path() / "video";
    ASSERT_EQ(mkfifo((video / "20120305-142233-2-60.avi").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", video / "20120305-142233-3-60.avi");
    std::filesystem::create_symlink(clip, video / "20120305-142233-4-60.avi");
    std::filesystem::create_directory(video / "20120305-142233-1-30.avi");
    EXPECT_EQ(FolderListing::Read(video.string()).Names(),
              std::vector<std::string>{"20120305-142233-1-60.avi"});
}

TEST(FolderListing, OneListingServesManyPatterns) {
    test::TempDir dir;
    for (const char* name : {"20120305-142233-1-60.avi", "20120305-142233-3-59.AVI",
                             "20120306-000000-1-60.avi", "notes.txt"}) {
        dir.Write(std::string("video/") + name, "");
    }
    const FolderListing listing = FolderListing::Read((dir.Path() / "video").string());
    EXPECT_EQ(listing.Names().size(), 4u);

    auto sorted = [](std::vector<std::string> v) {
        std::sort(v.begin(), v.end());
        return v;
    };
    EXPECT_EQ(sorted(listing.Match("20120305-*-*-*.avi")),
              (std::vector<std::string>{"20120305-142233-1-60.avi", "20120305-142233-3-59.AVI"}));
    EXPECT_EQ(listing.Match("20120306-*-*-*.avi"),
              (std::vector<std::string>{"20120306-000000-1-60.avi"}));
    EXPECT_EQ(listing.Match("20120305-142233-3-*.avi"),
              (std::vector<std::string>{"20120305-142233-3-59.AVI"}));
    EXPECT_TRUE(listing.Match("20120307-*-*-*.avi").empty());
}

TEST(FolderListing, FindFilesKeepsTheListingOrder) {
    test::TempDir dir;
    for (int i = 0; i < 20; ++i)
        dir.Write("video/20120305-1000" + std::to_string(10 + i) + "-1-1.avi", "");
    const std::vector<std::string> found =
        FindFiles(DayClipsPattern(DataRootPath(dir.Root()), 2012, 3, 5));
    EXPECT_EQ(found, FolderListing::Read((dir.Path() / "video").string()).Names());
}

}  // namespace
}  // namespace tramlet
