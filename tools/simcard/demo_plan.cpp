#include "demo_plan.h"

namespace tramlet::simcard {
namespace {

constexpr int kClipSeconds = 6;
constexpr int kFramesPerSecond = 30;

enum class Ending { kFinished, kUnclosed, kTorn, kNamedWithoutDuration };

struct DemoRecording {
    int day;
    int hour;
    int minute;
    int second;
    const char* channels;
    int consecutive;  // recordings back to back, as the recorder splits a drive
    Ending ending;
    bool gps;
};

constexpr DemoRecording kRecordings[] = {
    {2, 8, 12, 5, "1234", 2, Ending::kFinished, true},
    {2, 18, 40, 10, "12", 1, Ending::kFinished, true},
    {5, 7, 55, 30, "1", 3, Ending::kFinished, true},
    {5, 12, 3, 0, "13", 1, Ending::kUnclosed, true},
    {9, 9, 30, 0, "1234", 1, Ending::kFinished, true},
    {9, 9, 30, kClipSeconds, "1", 1, Ending::kTorn, true},
    {13, 14, 20, 0, "2", 2, Ending::kFinished, false},
    {17, 17, 45, 0, "124", 2, Ending::kFinished, true},
    {17, 17, 46, 0, "1", 1, Ending::kNamedWithoutDuration, true},
    {21, 8, 0, 0, "1234", 1, Ending::kFinished, true},
};

ClipState StateOf(Ending ending) {
    ClipState state;
    state.unclosed = ending == Ending::kUnclosed || ending == Ending::kTorn;
    state.tornLastChunk = ending == Ending::kTorn;
    if (ending == Ending::kNamedWithoutDuration)
        state.nameDuration = 0;
    return state;
}

std::vector<int> ChannelsOf(const char* digits) {
    std::vector<int> channels;
    for (const char* c = digits; *c; ++c)
        channels.push_back(*c - '0');
    return channels;
}

// Drives logged around the recordings of two days: a route for the map.
struct DemoDrive {
    int day, hour, minute, minutes;
};
constexpr DemoDrive kDrives[] = {{2, 8, 0, 30}, {2, 18, 30, 15}, {21, 7, 45, 25}};

}  // namespace

CardPlan DemoPlan(const DataRootPath& root, RecorderTime today) {
    CardPlan card;
    card.root = root;
    card.encoder.width = 640;
    card.encoder.height = 360;
    card.encoder.rateMilli = kFramesPerSecond * 1000;
    card.encoder.keyint = kFramesPerSecond;
    const TimeFields month = FieldsOf(today);
    for (const DemoRecording& d : kRecordings) {
        RecordingPlan recording;
        recording.start =
            *MakeRecorderTime({month.year, month.month, d.day, d.hour, d.minute, d.second});
        recording.channels = ChannelsOf(d.channels);
        recording.frames = kClipSeconds * kFramesPerSecond;
        recording.state = StateOf(d.ending);
        recording.gps = d.gps;
        for (int i = 0; i < d.consecutive; ++i) {
            card.recordings.push_back(recording);
            recording.start += std::chrono::seconds(kClipSeconds);
        }
    }
    for (const DemoDrive& d : kDrives) {
        card.loggedDrives.push_back(
            {*MakeRecorderTime({month.year, month.month, d.day, d.hour, d.minute, 0}),
             d.minutes * 60});
    }
    return card;
}

}  // namespace tramlet::simcard
