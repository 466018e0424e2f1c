#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "library/recorder_time.h"

namespace tramlet::library::tool {

// A command line that cannot be followed: exit status 2.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct Point {
    double latitude = 0;
    double longitude = 0;
};

struct ToolOptions {
    std::string command;  // "ingest", "verify" or "find"
    bool help = false;
    bool json = false;
    bool quiet = false;
    std::string database;  // empty: SQLite in LIBRARY/library.db
    std::string vehicle;
    std::optional<RecorderSeconds> from;
    std::optional<RecorderSeconds> to;
    std::optional<Point> near;
    std::optional<double> radius;
    std::string dataRoot;  // ingest only
    std::string library;
};

// Throws UsageError with the reason.
ToolOptions ParseToolOptions(const std::vector<std::string>& args);

}  // namespace tramlet::library::tool
