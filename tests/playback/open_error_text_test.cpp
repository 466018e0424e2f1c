#include "playback/open_error_text.h"

#include <gtest/gtest.h>

namespace tramlet {
namespace {

TEST(OpenErrorText, NamedCodesHaveTheirSentenceAndOthersTheirNumber) {
    EXPECT_EQ(OpenErrorText(kAudioNotRenderedCode),
              "Cannot play back the audio stream: could not find a suitable renderer.");
    EXPECT_EQ(OpenErrorText(0x8004025e), "RenderFile Error Code is 0x8004025e");
}

}  // namespace
}  // namespace tramlet
