#include "catalogue/storage_layout.h"

#include <cstdarg>
#include <cstdio>

namespace tramlet {
namespace {

[[gnu::format(printf, 1, 2)]] std::string Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string out(length > 0 ? static_cast<size_t>(length) : 0, '\0');
    std::vsnprintf(out.data(), out.size() + 1, format, again);
    va_end(again);
    return out;
}

std::string Root(std::string_view root) {
    return std::string(root);
}

}  // namespace

std::string AllClipsPattern(std::string_view root) {
    return Root(root) + "video/*.avi";
}

std::string AllClipsByShapePattern(std::string_view root) {
    return Root(root) + "video/*-*-*-*.avi";
}

std::string DayClipsPattern(std::string_view root, int year, int month, int day) {
    return Root(root) + Format("video/%04d%02d%02d-*-*-*.avi", year, month, day);
}

std::string RecordingClipsPattern(std::string_view root, int year, int month, int day, int hour,
                                  int minute, int second) {
    return Root(root) + "video/" + StartStamp(year, month, day, hour, minute, second) + "-*-*.avi";
}

std::string ChannelClipByStampPattern(std::string_view root, std::string_view stamp, int channel) {
    return Root(root) + "video/" + std::string(stamp) + Format("-%d-*.avi", channel);
}

std::string ChannelClipPattern(std::string_view root, int year, int month, int day, int hour,
                               int minute, int second, int channel) {
    return ChannelClipByStampPattern(root, StartStamp(year, month, day, hour, minute, second),
                                     channel);
}

std::string ClipPath(std::string_view root, std::string_view fileName) {
    return Root(root) + RelativeClipPath(fileName);
}

std::string RepairedClipPath(std::string_view root, int year, int month, int day, int hour,
                             int minute, int second, int channel, int duration) {
    return Root(root) + "video/" + StartStamp(year, month, day, hour, minute, second) +
           Format("-%d-%d.avi", channel, duration);
}

std::string GpsLogPath(std::string_view root, int year, int month, int day) {
    return Root(root) + RelativeGpsLogPath(year, month, day);
}

std::string VideoFolder(std::string_view root) {
    return Root(root) + "video";
}

std::string GpsFolder(std::string_view root) {
    return Root(root) + "gps";
}

std::string StartStamp(int year, int month, int day, int hour, int minute, int second) {
    return Format("%04d%02d%02d-%02d%02d%02d", year, month, day, hour, minute, second);
}

std::string RelativeClipPath(std::string_view fileName) {
    return "video/" + std::string(fileName);
}

std::string RelativeGpsLogPath(int year, int month, int day) {
    return Format("gps/%04d%02d%02d.gps", year, month, day);
}

}  // namespace tramlet
