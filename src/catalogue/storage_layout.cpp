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

}  // namespace

std::string AllClipsPattern(const DataRootPath& root) {
    return root.Below("video/*.avi");
}

std::string AllClipsByShapePattern(const DataRootPath& root) {
    return root.Below("video/*-*-*-*.avi");
}

std::string DayClipsPattern(const DataRootPath& root, int year, int month, int day) {
    return root.Below("video/" + DayClipsName(year, month, day));
}

std::string RecordingClipsPattern(const DataRootPath& root, int year, int month, int day, int hour,
                                  int minute, int second) {
    return root.Below("video/" + StartStamp(year, month, day, hour, minute, second) + "-*-*.avi");
}

std::string ChannelClipByStampPattern(const DataRootPath& root, std::string_view stamp,
                                      int channel) {
    return root.Below("video/" + std::string(stamp) + Format("-%d-*.avi", channel));
}

std::string ChannelClipPattern(const DataRootPath& root, int year, int month, int day, int hour,
                               int minute, int second, int channel) {
    return ChannelClipByStampPattern(root, StartStamp(year, month, day, hour, minute, second),
                                     channel);
}

std::string ClipPath(const DataRootPath& root, std::string_view fileName) {
    return root.Below(RelativeClipPath(fileName));
}

std::string RepairedClipPath(const DataRootPath& root, int year, int month, int day, int hour,
                             int minute, int second, int channel, int duration) {
    return root.Below("video/" + StartStamp(year, month, day, hour, minute, second) +
                      Format("-%d-%d.avi", channel, duration));
}

std::string GpsLogPath(const DataRootPath& root, int year, int month, int day) {
    return root.Below(RelativeGpsLogPath(year, month, day));
}

std::string VideoFolder(const DataRootPath& root) {
    return root.Below("video");
}

std::string GpsFolder(const DataRootPath& root) {
    return root.Below("gps");
}

std::string StartStamp(int year, int month, int day, int hour, int minute, int second) {
    return Format("%04d%02d%02d-%02d%02d%02d", year, month, day, hour, minute, second);
}

std::string RelativeClipPath(std::string_view fileName) {
    return "video/" + std::string(fileName);
}

std::string DayClipsName(int year, int month, int day) {
    return Format("%04d%02d%02d-*-*-*.avi", year, month, day);
}

std::string RelativeGpsLogPath(int year, int month, int day) {
    return Format("gps/%04d%02d%02d.gps", year, month, day);
}

}  // namespace tramlet
