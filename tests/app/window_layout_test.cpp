#include "app/window_layout.h"

#include <gtest/gtest.h>

namespace tramlet {
namespace {

// The designed window, then one 760 px wider and 200 px taller, then one 40
// px shorter, as on a small laptop's screen.
TEST(WindowLayout, TheVideoAndTheMapTakeTheRoomAndTheFootKeepsItsSize) {
    const PixelRect video{12, 13, 747, 551}, map{752, 13, 1027, 595}, timeline{12, 555, 642, 570},
        button{31, 583, 69, 620}, library{752, 598, 1027, 620};
    struct Case {
        int dw, dh;
        PixelRect video, map, timeline, button, library;
    };
    const Case cases[] = {
        {0, 0, video, map, timeline, button, library},
        {760,
         200,
         {12, 13, 1317, 751},
         {1322, 13, 1787, 795},
         {12, 755, 1212, 770},
         {31, 783, 69, 820},
         {1322, 798, 1787, 820}},
        {0,
         -40,
         {12, 13, 747, 511},
         {752, 13, 1027, 555},
         {12, 515, 642, 530},
         {31, 543, 69, 580},
         {752, 558, 1027, 580}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PlaceControl(video, Growth::kVideo, c.dw, c.dh), c.video) << c.dw;
        EXPECT_EQ(PlaceControl(map, Growth::kMap, c.dw, c.dh), c.map) << c.dw;
        EXPECT_EQ(PlaceControl(timeline, Growth::kUnderVideo, c.dw, c.dh), c.timeline) << c.dw;
        EXPECT_EQ(PlaceControl(button, Growth::kFooter, c.dw, c.dh), c.button) << c.dw;
        EXPECT_EQ(PlaceControl(library, Growth::kUnderMap, c.dw, c.dh), c.library) << c.dw;
    }
}

}  // namespace
}  // namespace tramlet
