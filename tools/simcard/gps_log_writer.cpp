#include "gps_log_writer.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <stdexcept>

#include "catalogue/storage_layout.h"
#include "drive_simulator.h"

namespace tramlet::simcard {
namespace {

using std::chrono::days;
using std::chrono::seconds;
using std::chrono::sys_days;

constexpr seconds kLongestUnloggedDrive = std::chrono::minutes(20);

// std::to_chars ignores the user's locale: the reader expects a '.'.
void AppendNumber(std::string& line, double value, int decimals) {
    char text[32];
    const auto end =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    line += ' ';
    line.append(text, end.ptr);
}

std::string LineOf(RecorderTime t, const GpsFix& fix) {
    const TimeFields f = FieldsOf(t);
    char stamp[8];
    std::snprintf(stamp, sizeof stamp, "%02d%02d%02d", f.hour, f.minute, f.second);
    std::string line = stamp;
    AppendNumber(line, fix.latitude, 6);
    AppendNumber(line, fix.longitude, 6);
    AppendNumber(line, fix.speedKmh, 1);
    AppendNumber(line, fix.headingDegrees, 1);
    return line + "\r\n";
}

std::map<sys_days, std::set<RecorderTime>> LoggedSecondsByDay(const CardPlan& card) {
    std::map<sys_days, std::set<RecorderTime>> byDay;
    for (const LoggedDrive& drive : card.loggedDrives) {
        for (int s = 0; s < drive.seconds; ++s) {
            const RecorderTime t = drive.start + seconds(s);
            byDay[std::chrono::floor<days>(t)].insert(t);
        }
    }
    for (const RecordingPlan& r : card.recordings) {
        if (!r.gps)
            continue;
        const long long length =
            (1000LL * r.frames + card.encoder.rateMilli - 1) / card.encoder.rateMilli;
        for (long long s = 0; s < length; ++s) {
            const RecorderTime t = r.start + seconds(s);
            byDay[std::chrono::floor<days>(t)].insert(t);
        }
    }
    return byDay;
}

void AppendToLog(const std::string& path, const std::string& text) {
    std::FILE* file = std::fopen(path.c_str(), "ab");
    if (!file)
        throw std::runtime_error("cannot open " + path + ": " + std::strerror(errno));
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed)
        throw std::runtime_error("cannot write " + path + ": " + std::strerror(errno));
}

}  // namespace

int WriteGpsLogs(const CardPlan& card) {
    int lines = 0;
    for (const auto& [day, moments] : LoggedSecondsByDay(card)) {
        const TimeFields f = FieldsOf(day);
        DriveSimulator drive(static_cast<std::uint32_t>(f.year * 10000 + f.month * 100 + f.day));
        std::string text;
        RecorderTime previous = *moments.begin();
        for (const RecorderTime t : moments) {
            // Between recordings the car drives on unlogged for a while, so
            // that a day's recordings start at different places on the map.
            const auto gap = std::min(t - previous, kLongestUnloggedDrive);
            for (auto s = seconds(1); s < gap; s += seconds(1))
                drive.Step();
            text += LineOf(t, drive.Step());
            previous = t;
        }
        AppendToLog(GpsLogPath(card.root, f.year, f.month, f.day), text);
        lines += static_cast<int>(moments.size());
    }
    return lines;
}

}  // namespace tramlet::simcard
