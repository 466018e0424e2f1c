#include "simcard_options.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <functional>
#include <map>
#include <set>

#include "playback/frame_stamp.h"

namespace tramlet::simcard {
namespace {

const char kHelp[] = R"(Usage: tramlet-simcard [OPTION]... DATA_ROOT
       tramlet-simcard --demo DATA_ROOT

Writes recordings below DATA_ROOT as the four-camera car recorder does: one
H.264 AVI clip per channel in DATA_ROOT/video, named YYYYMMDD-HHMMSS-C-D.avi,
one GPS log a day in DATA_ROOT/gps, and DATA_ROOT/.version. Every frame shows
its channel and time of day and carries a frame stamp that tests can read
back. Existing clips are never overwritten; GPS lines are appended.

Recordings:
  --start YYYYMMDD-HHMMSS  start of the first recording (default: today 10:00:00)
  --recordings N           recordings back to back (default 1)
  --gap SECONDS            pause between recordings (default 0)
  --channels LIST          channels recorded in parallel, any of 1-4, such as
                           1234, 13 or 2,4 (default 1)
  --duration SECONDS       length of each clip, e.g. 5 or 2.5 (default 5)
  --frames N               length of each clip in frames (instead of --duration)
  --fps RATE               frames per second, e.g. 30 or 29.97 (default 30)
  --size WxH               picture size in even numbers (default 640x360)

Encoding (libx264):
  --profile NAME           baseline, main or high (default high)
  --slices N               slices per picture, 1-16 (default 1)
  --bframes N              B-frames between reference frames, 0-16 (default 0)
  --keyint N               frames from one key frame to the next (default: one second)
  --qp N                   constant quantiser 1-51 (default: constant quality)
  --noise                  cover the background with fixed fine noise, which
                           makes key frames large (with --qp 20 at 1920x1080
                           well over 1 MB)
  --aud                    an access-unit delimiter in front of every picture
  --start-code-bytes 3|4   length of every start code (default 3, as the
                           recorder writes them)
  --odd-frames             pad every frame to an odd length with a trailing
                           zero byte, so that every chunk needs a pad byte

How the clips end:
  --unclosed               as a power cut leaves them: the header keeps its
                           placeholder sizes and there is no idx1 index
                           (default: finished, with a complete header and idx1)
  --name-duration N        duration field of the clip names (default: the
                           length in whole seconds, or 0 for unclosed clips)
  --torn                   cut the last frame's chunk short (with --unclosed)
  --trailing-chunk FOURCC  a 32-byte chunk of another kind after the frames,
                           such as JUNK or 01wb

Card:
  --no-gps                 write no GPS lines
  --card-version N         number for DATA_ROOT/.version (default: keep the
                           card's, or write 1)
  --manifest FILE          write every clip's chunks to FILE: for each clip a
                           line "clip NAME frames N rate RATE_MILLI size WxH
                           unclosed|finished", then one line "frame OFFSET SIZE
                           key|delta" per whole frame chunk in file order, and
                           "tail FOURCC OFFSET ANNOUNCED WRITTEN" for a torn or
                           foreign last chunk; OFFSET is the chunk header's
  --demo DATA_ROOT         write a small demo card into an empty DATA_ROOT:
                           six days of this month, one to four channels,
                           unclosed clips, a torn tail, a clip named without
                           its duration, and GPS logs for all days but one
  -q, --quiet              print nothing but errors
  -h, --help               show this help

Exit status: 0 when everything was written, 1 when something could not be
written, 2 for a command line that cannot be followed.
)";

int ParseInt(const std::string& option, const std::string& text, int low, int high) {
    int value = 0;
    const auto end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    if (result.ec != std::errc() || result.ptr != end || value < low || value > high)
        throw UsageError(option + ": expected a whole number from " + std::to_string(low) + " to " +
                         std::to_string(high) + ", got '" + text + "'");
    return value;
}

// A decimal such as 29.97 in thousandths, exactly.
int ParseMilli(const std::string& option, const std::string& text, int lowMilli, int highMilli) {
    const size_t dot = text.find('.');
    const std::string whole = text.substr(0, dot);
    std::string fraction = dot == std::string::npos ? "" : text.substr(dot + 1);
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    const bool digitsOnly = std::all_of(whole.begin(), whole.end(), isDigit) &&
                            std::all_of(fraction.begin(), fraction.end(), isDigit);
    if (whole.empty() || whole.size() > 6 || fraction.size() > 3 || !digitsOnly ||
        (dot != std::string::npos && fraction.empty()))
        throw UsageError(option + ": expected a number with at most three decimals, got '" + text +
                         "'");
    fraction.resize(3, '0');
    const int value = std::stoi(whole) * 1000 + std::stoi(fraction);
    if (value < lowMilli || value > highMilli)
        throw UsageError(option + ": " + text + " is out of range");
    return value;
}

RecorderTime ParseStart(const std::string& option, const std::string& text) {
    TimeFields f;
    char tail = 0;
    if (text.size() != 15 ||
        std::sscanf(text.c_str(), "%4d%2d%2d-%2d%2d%2d%c", &f.year, &f.month, &f.day, &f.hour,
                    &f.minute, &f.second, &tail) != 6 ||
        f.year < 1970)
        throw UsageError(option + ": expected YYYYMMDD-HHMMSS, got '" + text + "'");
    const auto start = MakeRecorderTime(f);
    if (!start)
        throw UsageError(option + ": no such date or time: '" + text + "'");
    return *start;
}

std::vector<int> ParseChannels(const std::string& option, const std::string& text) {
    std::set<int> channels;
    for (char c : text) {
        if (c == ',')
            continue;
        if (c < '1' || c > '4' || !channels.insert(c - '0').second)
            throw UsageError(option +
                             ": expected distinct channels 1 to 4 such as 1234 or 1,3, got '" +
                             text + "'");
    }
    if (channels.empty())
        throw UsageError(option + ": name at least one channel");
    return {channels.begin(), channels.end()};
}

void ParseSize(const std::string& option, const std::string& text, EncoderSettings& encoder) {
    const size_t x = text.find('x');
    if (x == std::string::npos)
        throw UsageError(option + ": expected WIDTHxHEIGHT, got '" + text + "'");
    encoder.width = ParseInt(option + " width", text.substr(0, x), 160, 4096);
    encoder.height = ParseInt(option + " height", text.substr(x + 1), 96, 2304);
    if (encoder.width % 2 || encoder.height % 2)
        throw UsageError(option + ": width and height must be even, got '" + text + "'");
}

H264Profile ParseProfile(const std::string& option, const std::string& text) {
    if (text == "baseline")
        return H264Profile::kBaseline;
    if (text == "main")
        return H264Profile::kMain;
    if (text == "high")
        return H264Profile::kHigh;
    throw UsageError(option + ": expected baseline, main or high, got '" + text + "'");
}

std::string ParseFourCc(const std::string& option, const std::string& text) {
    const bool printable =
        std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
    if (text.size() != 4 || !printable || text == "00dc")
        throw UsageError(option + ": expected four printable characters other than 00dc, got '" +
                         text + "'");
    return text;
}

long long FramesIn(int durationMs, int rateMilli) {
    return (static_cast<long long>(durationMs) * rateMilli + 500'000) / 1'000'000;
}

void SetRoot(SimcardOptions& o, const std::string& root) {
    if (!o.root.empty())
        throw UsageError("more than one DATA_ROOT: '" + o.root + "' and '" + root + "'");
    o.root = root;
}

using ValueHandler =
    std::function<void(SimcardOptions&, const std::string& option, const std::string& value)>;
using FlagHandler = std::function<void(SimcardOptions&)>;

const std::map<std::string, ValueHandler>& ValueOptions() {
    static const std::map<std::string, ValueHandler> handlers = {
        {"--start", [](auto& o, auto& n, auto& v) { o.start = ParseStart(n, v); }},
        {"--recordings", [](auto& o, auto& n, auto& v) { o.recordings = ParseInt(n, v, 1, 1000); }},
        {"--gap", [](auto& o, auto& n, auto& v) { o.gapSeconds = ParseInt(n, v, 0, 86400); }},
        {"--channels", [](auto& o, auto& n, auto& v) { o.channels = ParseChannels(n, v); }},
        {"--duration",
         [](auto& o, auto& n, auto& v) { o.durationMs = ParseMilli(n, v, 1, 86'400'000); }},
        {"--frames", [](auto& o, auto& n,
                        auto& v) { o.frames = ParseInt(n, v, 1, FrameStamp::kMaxFrame + 1); }},
        {"--fps",
         [](auto& o, auto& n, auto& v) { o.encoder.rateMilli = ParseMilli(n, v, 1000, 120'000); }},
        {"--size", [](auto& o, auto& n, auto& v) { ParseSize(n, v, o.encoder); }},
        {"--profile", [](auto& o, auto& n, auto& v) { o.encoder.profile = ParseProfile(n, v); }},
        {"--slices", [](auto& o, auto& n, auto& v) { o.encoder.slices = ParseInt(n, v, 1, 16); }},
        {"--bframes", [](auto& o, auto& n, auto& v) { o.encoder.bframes = ParseInt(n, v, 0, 16); }},
        {"--keyint",
         [](auto& o, auto& n, auto& v) { o.encoder.keyint = ParseInt(n, v, 1, 10000); }},
        {"--qp", [](auto& o, auto& n, auto& v) { o.encoder.qp = ParseInt(n, v, 1, 51); }},
        {"--start-code-bytes",
         [](auto& o, auto& n, auto& v) { o.encoder.startCodeBytes = ParseInt(n, v, 3, 4); }},
        {"--name-duration",
         [](auto& o, auto& n, auto& v) { o.state.nameDuration = ParseInt(n, v, 0, 1'000'000); }},
        {"--trailing-chunk",
         [](auto& o, auto& n, auto& v) { o.state.trailingChunk = ParseFourCc(n, v); }},
        {"--card-version",
         [](auto& o, auto& n, auto& v) { o.cardVersion = ParseInt(n, v, 0, 1'000'000'000); }},
        {"--manifest", [](auto& o, auto&, auto& v) { o.manifest = v; }},
        {"--demo",
         [](auto& o, auto&, auto& v) {
             o.demo = true;
             SetRoot(o, v);
         }},
    };
    return handlers;
}

const std::map<std::string, FlagHandler>& FlagOptions() {
    static const std::map<std::string, FlagHandler> handlers = {
        {"--noise", [](auto& o) { o.noise = true; }},
        {"--aud", [](auto& o) { o.encoder.accessUnitDelimiters = true; }},
        {"--odd-frames", [](auto& o) { o.oddFrames = true; }},
        {"--unclosed", [](auto& o) { o.state.unclosed = true; }},
        {"--torn", [](auto& o) { o.state.tornLastChunk = true; }},
        {"--no-gps", [](auto& o) { o.gps = false; }},
        {"--quiet", [](auto& o) { o.quiet = true; }},
        {"-q", [](auto& o) { o.quiet = true; }},
        {"--help", [](auto& o) { o.help = true; }},
        {"-h", [](auto& o) { o.help = true; }},
    };
    return handlers;
}

// The demo card is fixed; only these may go with it.
const std::set<std::string> kDemoCompanions = {"--demo", "--manifest", "--card-version", "--quiet",
                                               "-q"};

void CheckCombinations(const SimcardOptions& o, const std::set<std::string>& given) {
    if (o.demo) {
        for (const std::string& option : given) {
            if (!kDemoCompanions.contains(option))
                throw UsageError(option + " does not go with --demo, whose card is fixed");
        }
    }
    if (o.root.empty())
        throw UsageError("name the DATA_ROOT to write to");
    if (o.state.tornLastChunk && !o.state.unclosed)
        throw UsageError(
            "--torn needs --unclosed: a finished clip has its index behind the last chunk");
    if (o.state.tornLastChunk && !o.state.trailingChunk.empty())
        throw UsageError("--torn and --trailing-chunk both end the clip; choose one");
    if (o.encoder.profile == H264Profile::kBaseline && o.encoder.bframes > 0)
        throw UsageError("--bframes: the baseline profile has no B-frames");
    if (given.contains("--frames") && given.contains("--duration"))
        throw UsageError("--frames and --duration both give the length; choose one");
    const long long frames = FramesIn(o.durationMs, o.encoder.rateMilli);
    if (!o.frames && (frames < 1 || frames > FrameStamp::kMaxFrame + 1))
        throw UsageError("--duration: a clip holds 1 to " +
                         std::to_string(FrameStamp::kMaxFrame + 1) + " frames, not " +
                         std::to_string(frames));
}

}  // namespace

SimcardOptions ParseOptions(const std::vector<std::string>& args) {
    SimcardOptions o;
    o.encoder.keyint = 0;
    std::set<std::string> given;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string option = args[i];
        std::optional<std::string> value;
        if (const size_t eq = option.find('=');
            option.starts_with("--") && eq != std::string::npos) {
            value = option.substr(eq + 1);
            option.resize(eq);
        }
        if (const auto flag = FlagOptions().find(option); flag != FlagOptions().end()) {
            if (value)
                throw UsageError(option + " takes no value");
            flag->second(o);
            given.insert(option);
        } else if (const auto takes = ValueOptions().find(option); takes != ValueOptions().end()) {
            if (!value && i + 1 >= args.size())
                throw UsageError(option + " needs a value");
            takes->second(o, option, value ? *value : args[++i]);
            given.insert(option);
        } else if (option.starts_with("-") && option.size() > 1) {
            throw UsageError("unknown option " + option);
        } else {
            SetRoot(o, option);
        }
    }
    if (o.help)
        return o;
    CheckCombinations(o, given);
    return o;
}

const char* HelpText() {
    return kHelp;
}

CardPlan PlanFromOptions(const SimcardOptions& o, RecorderTime today) {
    CardPlan card;
    card.root = DataRootPath(o.root);
    card.encoder = o.encoder;
    if (card.encoder.keyint == 0)
        card.encoder.keyint = std::max(1, (o.encoder.rateMilli + 500) / 1000);
    card.noise = o.noise;
    card.oddFrames = o.oddFrames;
    card.cardVersion = o.cardVersion;

    RecordingPlan recording;
    recording.start =
        o.start.value_or(std::chrono::floor<std::chrono::days>(today) + std::chrono::hours(10));
    recording.channels = o.channels;
    recording.frames =
        o.frames.value_or(static_cast<int>(FramesIn(o.durationMs, o.encoder.rateMilli)));
    recording.state = o.state;
    recording.gps = o.gps;
    const long long seconds =
        (1000LL * recording.frames + o.encoder.rateMilli - 1) / o.encoder.rateMilli;
    for (int i = 0; i < o.recordings; ++i) {
        card.recordings.push_back(recording);
        recording.start += std::chrono::seconds(seconds + o.gapSeconds);
    }
    return card;
}

}  // namespace tramlet::simcard
