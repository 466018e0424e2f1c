#include "playback/decode_plan.h"

#include <gtest/gtest.h>

namespace tramlet {
namespace {

constexpr std::int64_t k1080p = std::int64_t{1920} * 1080 * 30;
constexpr std::int64_t k720p = std::int64_t{1280} * 720 * 30;

TEST(DecodePlan, FourChannelsFitTheCoresTheyShare) {
    struct Case {
        double rate;
        std::int64_t pixelRate;
        unsigned cores;
        DecodePlan plan;
    } const cases[] = {
        {1, 4 * k1080p, 2, DecodePlan::kEveryFrame},
        {2, 4 * k1080p, 2, DecodePlan::kLight},
        {4, 4 * k1080p, 2, DecodePlan::kLight},
        {8, 4 * k1080p, 2, DecodePlan::kKeyFrames},
        {16, 4 * k1080p, 2, DecodePlan::kKeyFrames},
        {2, 4 * k720p, 2, DecodePlan::kEveryFrame},
        {3, 4 * k720p, 2, DecodePlan::kLight},
        {8, 4 * k720p, 2, DecodePlan::kKeyFrames},
        // One channel alone, or a machine with many cores, decodes in full.
        {4, k1080p, 2, DecodePlan::kEveryFrame},
        {8, 4 * k1080p, 16, DecodePlan::kEveryFrame},
        // A machine that does not say how many cores it has counts as one.
        {1, 4 * k720p, 0, DecodePlan::kEveryFrame},
        {2, 4 * k720p, 0, DecodePlan::kLight},
        {0.25, 4 * k1080p, 1, DecodePlan::kEveryFrame},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ChooseDecodePlan(c.rate, c.pixelRate, c.cores), c.plan)
            << c.rate << "x, " << c.pixelRate << " pixels/s, " << c.cores << " cores";
    }
}

}  // namespace
}  // namespace tramlet
