#pragma once

#include <string>
#include <string_view>

#include "common/data_root_path.h"

// Where the recorder keeps things below a data root, and the search patterns
// that find them.
namespace tramlet {

std::string AllClipsPattern(const DataRootPath& root);
std::string AllClipsByShapePattern(const DataRootPath& root);
std::string DayClipsPattern(const DataRootPath& root, int year, int month, int day);
std::string RecordingClipsPattern(const DataRootPath& root, int year, int month, int day, int hour,
                                  int minute, int second);
std::string ChannelClipByStampPattern(const DataRootPath& root, std::string_view stamp,
                                      int channel);
std::string ChannelClipPattern(const DataRootPath& root, int year, int month, int day, int hour,
                               int minute, int second, int channel);
std::string ClipPath(const DataRootPath& root, std::string_view fileName);
std::string RepairedClipPath(const DataRootPath& root, int year, int month, int day, int hour,
                             int minute, int second, int channel, int duration);
std::string GpsLogPath(const DataRootPath& root, int year, int month, int day);
std::string VideoFolder(const DataRootPath& root);
std::string GpsFolder(const DataRootPath& root);
std::string StartStamp(int year, int month, int day, int hour, int minute, int second);

// The same paths relative to the data root, and the pattern of a day's clip names.
std::string RelativeClipPath(std::string_view fileName);
std::string DayClipsName(int year, int month, int day);
std::string RelativeGpsLogPath(int year, int month, int day);

}  // namespace tramlet
