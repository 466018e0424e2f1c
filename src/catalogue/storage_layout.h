#pragma once

#include <string>
#include <string_view>

// Where the recorder keeps things below a data root, and the search patterns
// that find them. The data root always ends in '/' (or is "." once the card
// is gone); every function formats it in front of the rest.
namespace tramlet {

std::string AllClipsPattern(std::string_view root);
std::string AllClipsByShapePattern(std::string_view root);
std::string DayClipsPattern(std::string_view root, int year, int month, int day);
std::string RecordingClipsPattern(std::string_view root, int year, int month, int day, int hour,
                                  int minute, int second);
std::string ChannelClipByStampPattern(std::string_view root, std::string_view stamp, int channel);
std::string ChannelClipPattern(std::string_view root, int year, int month, int day, int hour,
                               int minute, int second, int channel);
std::string ClipPath(std::string_view root, std::string_view fileName);
std::string RepairedClipPath(std::string_view root, int year, int month, int day, int hour,
                             int minute, int second, int channel, int duration);
std::string GpsLogPath(std::string_view root, int year, int month, int day);
std::string VideoFolder(std::string_view root);
std::string GpsFolder(std::string_view root);
std::string StartStamp(int year, int month, int day, int hour, int minute, int second);

// The same paths relative to the data root.
std::string RelativeClipPath(std::string_view fileName);
std::string RelativeGpsLogPath(int year, int month, int day);

}  // namespace tramlet
