#include "backup/sha256_sums.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "support/temp_dir.h"

namespace tramlet {
namespace {

const std::string kOld(64, 'a');
const std::string kNew(64, 'b');

struct SumsCase {
    std::string before;  // the file an earlier backup, or another program, left
    std::string after;   // the file once a backup adds gps/20120305.gps
};

void PrintTo(const SumsCase& c, std::ostream* os) {
    *os << c.before;
}

class Sha256SumsFile : public testing::TestWithParam<SumsCase> {};

// Only 64 hex digits make a digest: a line read with any other 64 bytes in
// their place would shift its name a character at every later backup.
TEST_P(Sha256SumsFile, KeepsEveryEntryAndNothingThatIsNone) {
    test::TempDir backup;
    const auto path = backup.Write("SHA256SUMS", GetParam().before);
    Sha256Sums sums(path.string());
    sums.Set("gps/20120305.gps", kNew);
    ASSERT_EQ(sums.Save(), 0);
    std::ifstream in(path);
    std::stringstream saved;
    saved << in.rdbuf();
    EXPECT_EQ(saved.str(), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, Sha256SumsFile,
    testing::Values(
        SumsCase{kOld + "  video/a.avi\n",
                 kNew + "  gps/20120305.gps\n" + kOld + "  video/a.avi\n"},
        SumsCase{kOld + " *video/a.avi\n",
                 kNew + "  gps/20120305.gps\n" + kOld + "  video/a.avi\n"},
        SumsCase{"\\" + kOld + "  video/back\\\\slash.avi\n",
                 kNew + "  gps/20120305.gps\n\\" + kOld + "  video/back\\\\slash.avi\n"},
        SumsCase{"\\\\" + kOld.substr(1) + "  video/a.avi\n", kNew + "  gps/20120305.gps\n"},
        SumsCase{kOld.substr(1) + "g  video/a.avi\n", kNew + "  gps/20120305.gps\n"},
        SumsCase{kOld + " -video/a.avi\n", kNew + "  gps/20120305.gps\n"}));

}  // namespace
}  // namespace tramlet
