#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "card_plan.h"

namespace tramlet::simcard {

// A command line that cannot be followed; main prints it with a hint to --help.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct SimcardOptions {
    bool help = false;
    bool quiet = false;
    bool demo = false;
    std::string root;  // the DATA_ROOT as given
    std::string manifest;

    std::optional<RecorderTime> start;
    int recordings = 1;
    int gapSeconds = 0;
    std::vector<int> channels{1};
    int durationMs = 5000;
    std::optional<int> frames;
    EncoderSettings encoder;  // keyint 0 until the frame rate is known
    bool noise = false;
    bool oddFrames = false;
    ClipState state;
    bool gps = true;
    std::optional<int> cardVersion;
};

SimcardOptions ParseOptions(const std::vector<std::string>& args);
const char* HelpText();

// The recordings the options ask for; the first starts at the given start,
// or at 10:00:00 of `today` when none was given.
CardPlan PlanFromOptions(const SimcardOptions& options, RecorderTime today);

}  // namespace tramlet::simcard
