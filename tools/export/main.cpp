// tramlet-export: a span of one day's recordings to MP4, or the day's GPS
// track to GPX, from the command line.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "command_line.h"
#include "common/data_root_path.h"
#include "common/json_text.h"
#include "export/video_export.h"
#include "gps/gpx_writer.h"

namespace {

using namespace tramlet;
using namespace tramlet::exporter;

const char kHelp[] =
    R"(usage: tramlet-export video [--each|--merged] [--channels 1,2,3,4]
                            --from YYYYMMDD-HHMMSS --to YYYYMMDD-HHMMSS
                            [--full-size] [--overwrite] [--json] [-q]
                            DATA_ROOT OUT.mp4
       tramlet-export track --day YYYYMMDD [--from HHMMSS] [--to HHMMSS]
                            [--utc-offset +HH:MM] DATA_ROOT OUT.gpx

Exports the recordings of one day between two moments, from the card (or a
folder laid out like one) at DATA_ROOT, to MP4. Time between recordings is
left out; each recording is a chapter.

  --merged    (default) one H.264 video with the chosen channels in one
              picture (one alone, two side by side, three or four in a 2x2
              grid), the date, time, GPS position and speed burned in along
              the bottom. A channel missing from a recording is a dark cell.
              The picture is shrunk to fit within 1920x1080.
  --full-size with --merged, keep every channel's own picture size (four
              1080p channels make a 3840x2160 picture)
  --each      each chosen channel its own MP4, the video copied packet for
              packet (no quality lost): OUT.mp4 gives OUT-ch1.mp4 and so on.
              Each starts at the key frame at or before --from. Recordings
              of another picture size than a channel's first go to a file
              per size: OUT-ch1-1280x720.mp4.
  --channels  the channels to export, e.g. 1,3 (default 1,2,3,4)
  --from, --to  the span, on the recorder's clock; both on the same day
  --overwrite replace existing output files (default: refuse)
  --json      print one JSON report on stdout
  -q          no progress bar
  -h, --help  this text

A progress bar goes to stderr when it is a terminal. Ctrl+C cancels, and a
cancelled or failed export leaves no file behind.

track writes the GPS fixes of one day's recordings as a GPX 1.1 track: one
segment per recording, one point per second with a fix, times in UTC, the
speed in Garmin's TrackPointExtension. An existing OUT.gpx is replaced.

  --day       the day, on the recorder's clock
  --from, --to  only the seconds from --from up to, not including, --to
  --utc-offset  the recorder clock's offset from UTC, e.g. +09:00 (default:
              this machine's time zone)

exit status: 0 exported, 1 failed (the reason is printed on stderr), 2 usage
error.

--json report:
{ "ok": true, "error": null | "no_data_root" | "no_recording" |
  "unreadable_clip" | "exists" | "not_writable" | "disk_full" | "cancelled" |
  "failed",
  "message": "...", "detail": "...", "frames": 5400,
  "files": [ "/out/drive-ch1.mp4", ... ] }
)";

std::atomic<bool> interrupted{false};

tools::CommandLine Line() {
    return tools::CommandLine("tramlet-export", kHelp);
}

bool IsDirectory(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

struct Moment {
    CalendarDate date;
    int second = 0;
};

std::optional<Moment> ParseMoment(const std::string& text) {
    Moment m;
    int h, mi, s;
    char end;
    if (text.size() != 15 ||
        std::sscanf(text.c_str(), "%4d%2d%2d-%2d%2d%2d%c", &m.date.year, &m.date.month, &m.date.day,
                    &h, &mi, &s, &end) != 6 ||
        m.date.month < 1 || m.date.month > 12 || m.date.day < 1 || m.date.day > 31 || h > 23 ||
        mi > 59 || s > 59 || h < 0 || mi < 0 || s < 0) {
        return std::nullopt;
    }
    m.second = h * 3600 + mi * 60 + s;
    return m;
}

std::optional<std::vector<int>> ParseChannels(const std::string& text) {
    std::vector<int> channels;
    std::stringstream list(text);
    std::string item;
    while (std::getline(list, item, ',')) {
        if (item.size() != 1 || item[0] < '1' || item[0] > '4')
            return std::nullopt;
        channels.push_back(item[0] - '0');
    }
    if (channels.empty())
        return std::nullopt;
    return channels;
}

const char* ErrorName(ExportError error) {
    switch (error) {
        case ExportError::kNoRecording:
            return "no_recording";
        case ExportError::kUnreadableClip:
            return "unreadable_clip";
        case ExportError::kExists:
            return "exists";
        case ExportError::kNotWritable:
            return "not_writable";
        case ExportError::kDiskFull:
            return "disk_full";
        case ExportError::kCancelled:
            return "cancelled";
        case ExportError::kFailed:
            return "failed";
    }
    return "failed";
}

// The report; `name` null when all went well.
void PrintJson(const char* name, const std::string& message, const ExportResult& result) {
    std::printf(
        "{\n  \"ok\": %s,\n  \"error\": %s,\n  \"message\": %s,\n  \"detail\": %s,\n"
        "  \"frames\": %lld,\n  \"files\": [",
        name ? "false" : "true", name ? JsonString(name).c_str() : "null",
        JsonString(message).c_str(),
        JsonString(result.failure ? result.failure->text : std::string()).c_str(),
        static_cast<long long>(result.frames));
    for (size_t i = 0; i < result.written.size(); ++i)
        std::printf("%s%s", i ? ", " : " ", JsonString(result.written[i].string()).c_str());
    std::printf(" ]\n}\n");
}

void DrawBar(std::int64_t done, std::int64_t total) {
    static int shown = -1;
    const int percent =
        total > 0 ? static_cast<int>(std::min<std::int64_t>(100, done * 100 / total)) : 0;
    if (percent == shown)
        return;
    shown = percent;
    constexpr int kWidth = 40;
    char bar[kWidth + 1];
    for (int i = 0; i < kWidth; ++i)
        bar[i] = i < percent * kWidth / 100 ? '#' : '.';
    bar[kWidth] = 0;
    std::fprintf(stderr, "\r\033[K[%s] %3d%%  %lld/%lld frames", bar, percent,
                 static_cast<long long>(done), static_cast<long long>(total));
    std::fflush(stderr);
}

std::optional<CalendarDate> ParseDay(const std::string& text) {
    const auto moment = text.size() == 8 ? ParseMoment(text + "-000000") : std::nullopt;
    if (!moment)
        return std::nullopt;
    const CalendarDate& d = moment->date;
    using namespace std::chrono;
    if (!year_month_day(year(d.year), month(d.month), day(d.day)).ok())
        return std::nullopt;  // February 30th
    return d;
}

// HHMMSS as a second of the day.
std::optional<int> ParseSecond(const std::string& text) {
    const auto moment = ParseMoment("20000101-" + text);
    if (!moment)
        return std::nullopt;
    return moment->second;
}

// [+-]HH:MM as seconds east of UTC.
std::optional<int> ParseUtcOffset(const std::string& text) {
    int hours, minutes;
    char end;
    if (text.size() != 6 || (text[0] != '+' && text[0] != '-') ||
        std::sscanf(text.c_str() + 1, "%2d:%2d%c", &hours, &minutes, &end) != 2 ||
        !std::isdigit(static_cast<unsigned char>(text[1])) ||
        !std::isdigit(static_cast<unsigned char>(text[4])) || hours > 14 || minutes > 59) {
        return std::nullopt;
    }
    const int offset = hours * 3600 + minutes * 60;
    return text[0] == '-' ? -offset : offset;
}

int RunTrack(int argc, char** argv) {
    GpxRequest request;
    std::optional<CalendarDate> day;
    tools::CommandLine line = Line();
    line.Option("--day", "a date YYYYMMDD",
                [&](const std::string& text) { return (day = ParseDay(text)).has_value(); });
    for (const char* name : {"--from", "--to"}) {
        int& second = std::string(name) == "--from" ? request.fromSecond : request.toSecond;
        line.Option(name, "a time HHMMSS", [&second](const std::string& text) {
            const std::optional<int> parsed = ParseSecond(text);
            second = parsed.value_or(second);
            return parsed.has_value();
        });
    }
    line.Option("--utc-offset", "+HH:MM or -HH:MM", [&](const std::string& text) {
        return (request.utcOffset = ParseUtcOffset(text)).has_value();
    });
    if (const auto exit = line.Parse(argc, argv, 2))
        return *exit;
    if (!day)
        return line.UsageError("--day is needed");
    if (request.fromSecond >= request.toSecond)
        return line.UsageError("--to must come after --from");
    if (line.Operands().size() != 2)
        return line.UsageError("DATA_ROOT and OUT.gpx are needed");
    if (!IsDirectory(line.Operands()[0]))
        return line.Error(line.Operands()[0] + ": no such data root");
    request.dataRoot = DataRootPath(line.Operands()[0]);
    request.output = line.Operands()[1];
    request.date = *day;
    const GpxResult result = WriteDayGpx(request);
    if (!result)
        return line.Error(result.error().text);
    std::printf("%s\n", request.output.c_str());
    return 0;
}

// The export as the video subcommand's options ask for it; a usage error or
// --help ends the tool with `exit`.
struct VideoLine {
    ExportRequest request;
    bool json = false;
    bool quiet = false;
    std::optional<int> exit;
};

VideoLine ReadVideoLine(tools::CommandLine& line, int argc, char** argv) {
    VideoLine v;
    std::optional<Moment> from, to;
    bool each = false, merged = false;
    line.Flag({"--each"}, each).Flag({"--merged"}, merged);
    line.Flag({"--full-size"}, v.request.fullSize);
    line.Flag({"--overwrite"}, v.request.overwrite).Flag({"--json"}, v.json);
    line.Flag({"-q", "--quiet"}, v.quiet);
    line.Option("--channels", "a list of channels 1-4, such as 1,3", [&](const std::string& t) {
        const auto channels = ParseChannels(t);
        v.request.channels = channels.value_or(v.request.channels);
        return channels.has_value();
    });
    line.Option("--from", "a moment YYYYMMDD-HHMMSS",
                [&](const std::string& t) { return (from = ParseMoment(t)).has_value(); });
    line.Option("--to", "a moment YYYYMMDD-HHMMSS",
                [&](const std::string& t) { return (to = ParseMoment(t)).has_value(); });
    if ((v.exit = line.Parse(argc, argv, 2)))
        return v;
    if (each && merged)
        v.exit = line.UsageError("--each and --merged exclude each other");
    else if (!from || !to)
        v.exit = line.UsageError("--from and --to are both needed");
    else if (!(from->date == to->date))
        v.exit = line.UsageError("--from and --to must be on the same day");
    else if (from->second >= to->second)
        v.exit = line.UsageError("--to must come after --from");
    else if (line.Operands().size() != 2)
        v.exit = line.UsageError("DATA_ROOT and OUT.mp4 are needed");
    if (v.exit)
        return v;
    v.request.mode = each ? ExportMode::kEach : ExportMode::kMerged;
    v.request.dataRoot = DataRootPath(line.Operands()[0]);
    v.request.output = line.Operands()[1];
    v.request.date = from->date;
    v.request.fromSecond = from->second;
    v.request.toSecond = to->second;
    return v;
}

int RunVideo(int argc, char** argv) {
    tools::CommandLine line = Line();
    const VideoLine v = ReadVideoLine(line, argc, argv);
    if (v.exit)
        return *v.exit;
    if (!IsDirectory(v.request.dataRoot.Text())) {
        const std::string message = line.Operands()[0] + ": no such data root";
        if (v.json)
            PrintJson("no_data_root", message, {});
        return line.Error(message);
    }
    const bool bar = !v.quiet && isatty(STDERR_FILENO);
    ExportCallbacks callbacks;
    callbacks.cancel = &interrupted;
    if (bar)
        callbacks.progress = DrawBar;
    const ExportResult result = ExportVideo(v.request, callbacks);
    if (bar)
        std::fputs("\r\033[K", stderr);
    if (v.json && result.failure)
        PrintJson(ErrorName(result.failure->kind), ExportErrorText(result.failure->kind), result);
    else if (v.json)
        PrintJson(nullptr, "done", result);
    if (result.failure) {
        const ExportFailure& failed = *result.failure;
        return line.Error(ExportErrorText(failed.kind) + (failed.text.empty() ? "" : ": ") +
                          failed.text);
    }
    if (!v.json) {
        for (const auto& file : result.written)
            std::printf("%s\n", file.c_str());
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string first = argc >= 2 ? argv[1] : "";
    if (first == "--help" || first == "-h")
        return Line().Help();
    if (first == "track")
        return RunTrack(argc, argv);
    if (first != "video")
        return Line().UsageError("the first word must be video or track");
    struct sigaction stop {};
    stop.sa_handler = [](int) { interrupted = true; };
    sigaction(SIGINT, &stop, nullptr);
    sigaction(SIGTERM, &stop, nullptr);
    QuietLibraryLog();
    return RunVideo(argc, argv);
}
