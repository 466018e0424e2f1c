// Thousands of seeded sequences of user actions and events against the
// session with scripted players; after every step, what the user sees must
// name one moment. A failing sequence is shortened to the fewest steps that
// still fail and printed with its seed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <sstream>

#include "session_world.h"

namespace tramlet::test {
namespace {

constexpr int kStepsPerSequence = 50;

int EnvOr(const char* name, int fallback) {
    const char* value = std::getenv(name);
    return value ? std::atoi(value) : fallback;
}

std::vector<Step> Generate(unsigned seed) {
    // How often each kind comes, in the order of Step::Kind.
    static const std::vector<int> weights = {6, 3, 12, 4, 5, 5, 7, 4, 4, 14, 2,
                                             2, 5, 2,  2, 2, 2, 4, 3, 2, 4,  2};
    std::mt19937 random(seed);
    std::discrete_distribution<int> kind(weights.begin(), weights.end());
    std::uniform_int_distribution<int> number(0, 1 << 20);
    std::vector<Step> steps;
    for (int i = 0; i < kStepsPerSequence; ++i)
        steps.push_back({static_cast<Step::Kind>(kind(random)), number(random), number(random)});
    return steps;
}

// The number of steps after which the invariant first broke, and how.
std::optional<std::pair<std::size_t, std::string>> FirstFailure(const std::vector<Step>& steps) {
    SessionWorld world;
    if (std::string broken = world.CheckInvariant(); !broken.empty())
        return std::pair{std::size_t{0}, broken};
    for (std::size_t i = 0; i < steps.size(); ++i) {
        world.Run(steps[i]);
        if (std::string broken = world.CheckInvariant(); !broken.empty())
            return std::pair{i + 1, broken};
    }
    return std::nullopt;
}

std::vector<Step> Shorten(std::vector<Step> steps) {
    steps.resize(FirstFailure(steps)->first);
    for (bool shorter = true; shorter;) {
        shorter = false;
        for (std::size_t i = steps.size(); i-- > 0;) {
            std::vector<Step> trial = steps;
            trial.erase(trial.begin() + static_cast<long>(i));
            if (FirstFailure(trial)) {
                steps = trial;
                shorter = true;
            }
        }
    }
    return steps;
}

TEST(ViewingSessionRandomUse, WhatTheUserSeesAlwaysNamesOneMoment) {
    const int sequences = EnvOr("TRAMLET_SESSION_SEQUENCES", 5000);
    const unsigned firstSeed = static_cast<unsigned>(EnvOr("TRAMLET_SESSION_SEED", 1));
    for (int n = 0; n < sequences; ++n) {
        const unsigned seed = firstSeed + static_cast<unsigned>(n);
        const std::vector<Step> steps = Generate(seed);
        if (!FirstFailure(steps))
            continue;
        const std::vector<Step> shortest = Shorten(steps);
        std::ostringstream report;
        report << "seed " << seed << " fails after these " << shortest.size() << " steps:\n";
        for (const Step& step : shortest)
            report << "  " << Describe(step) << "\n";
        report << FirstFailure(shortest)->second;
        FAIL() << report.str();
    }
}

// The folder's only recording is in December: chosen while the calendar
// shows a month without any, the folder opens on that day.
TEST(ViewingSessionChoice, AFolderChosenOpensOnItsNewestDayWhenTheMonthShownHasNone) {
    SessionWorld world;
    world.Run({Step::kMonthPage, 1});
    world.Run({Step::kMonthPage, 1});
    world.Run({Step::kChooseFolder, 1});
    EXPECT_EQ(Yyyymmdd(world.Session().Catalogue().SelectedDate()), "20261209");
    EXPECT_EQ(world.CheckInvariant(), "");
}

}  // namespace
}  // namespace tramlet::test
