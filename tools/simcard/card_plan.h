#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/data_root_path.h"
#include "h264_encoder.h"
#include "recorder_clock.h"

namespace tramlet::simcard {

// How the recorder left a clip.
struct ClipState {
    bool unclosed = false;            // power cut: placeholder header, no index
    std::optional<int> nameDuration;  // default: 0 when unclosed, else the length
    bool tornLastChunk = false;       // only with unclosed
    std::string trailingChunk;        // FOURCC of a chunk after the frames; empty for none
};

// The clips that channels record in parallel from the same second.
struct RecordingPlan {
    RecorderTime start;
    std::vector<int> channels;
    int frames = 0;  // encoded per clip; a torn last chunk holds the last of them
    ClipState state;
    bool gps = true;  // GPS lines for the seconds it runs
};

// A drive the recorder logs GPS for while recording nothing, around the
// recordings of a day, so that the day has a route as users' cards do.
struct LoggedDrive {
    RecorderTime start;
    int seconds = 0;
};

struct CardPlan {
    DataRootPath root;
    EncoderSettings encoder;
    bool noise = false;
    bool oddFrames = false;  // every frame padded to an odd length
    std::vector<RecordingPlan> recordings;
    std::vector<LoggedDrive> loggedDrives;
    std::optional<int> cardVersion;  // default: keep the card's, or write 1
};

}  // namespace tramlet::simcard
