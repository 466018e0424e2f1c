#include "tool_options.h"

#include <charconv>
#include <functional>
#include <map>

namespace tramlet::library::tool {
namespace {

constexpr double kLongestRadius = 20'000'000;  // half the earth's circumference, about

double ParseNumber(const std::string& option, const std::string& text) {
    double value = 0;
    const char* end = text.data() + text.size();
    const auto parsed = std::from_chars(text.data(), end, value);
    if (parsed.ec != std::errc() || parsed.ptr != end)
        throw UsageError(option + ": expected a number, got '" + text + "'");
    return value;
}

Point ParsePoint(const std::string& option, const std::string& text) {
    const size_t comma = text.find(',');
    if (comma == std::string::npos)
        throw UsageError(option + ": expected LAT,LON such as 37.5665,126.978, got '" + text + "'");
    const Point point{ParseNumber(option, text.substr(0, comma)),
                      ParseNumber(option, text.substr(comma + 1))};
    if (point.latitude < -90 || point.latitude > 90 || point.longitude < -180 ||
        point.longitude > 180)
        throw UsageError(option + ": no such place: '" + text + "'");
    return point;
}

RecorderSeconds ParseTime(const std::string& option, const std::string& text, bool endOfDay) {
    const auto t = ParseRecorderTime(text, endOfDay);
    if (!t) {
        throw UsageError(option + ": expected YYYY-MM-DD, YYYY-MM-DD HH:MM[:SS] or " +
                         "YYYYMMDD-HHMMSS, got '" + text + "'");
    }
    return *t;
}

using ValueOption =
    std::function<void(ToolOptions&, const std::string& option, const std::string&)>;

const std::map<std::string, ValueOption>& ValueOptions() {
    static const std::map<std::string, ValueOption> options = {
        {"--database", [](auto& o, auto&, auto& v) { o.database = v; }},
        {"--vehicle", [](auto& o, auto&, auto& v) { o.vehicle = v; }},
        {"--from", [](auto& o, auto& n, auto& v) { o.from = ParseTime(n, v, false); }},
        {"--to", [](auto& o, auto& n, auto& v) { o.to = ParseTime(n, v, true); }},
        {"--near", [](auto& o, auto& n, auto& v) { o.near = ParsePoint(n, v); }},
        {"--radius", [](auto& o, auto& n, auto& v) { o.radius = ParseNumber(n, v); }},
    };
    return options;
}

// Which options each command takes besides --database, --json and -q.
bool Takes(const std::string& command, const std::string& option) {
    if (option == "--database")
        return true;
    if (option == "--vehicle")
        return command == "ingest" || command == "find";
    return command == "find";
}

void Check(const ToolOptions& o, const std::vector<std::string>& operands) {
    const size_t wanted = o.command == "ingest" ? 2 : 1;
    if (operands.size() != wanted) {
        throw UsageError(o.command == "ingest" ? "ingest takes DATA_ROOT and LIBRARY"
                                               : o.command + " takes LIBRARY");
    }
    if (o.near.has_value() != o.radius.has_value())
        throw UsageError("--near and --radius go together");
    if (o.radius && (*o.radius <= 0 || *o.radius > kLongestRadius))
        throw UsageError("--radius: expected metres above 0 and up to 20000000");
    if (o.from && o.to && *o.from > *o.to)
        throw UsageError("--from lies after --to");
}

}  // namespace

ToolOptions ParseToolOptions(const std::vector<std::string>& args) {
    ToolOptions o;
    if (args.empty())
        throw UsageError("name a command: ingest, verify or find");
    if (args[0] == "--help" || args[0] == "-h") {
        o.help = true;
        return o;
    }
    o.command = args[0];
    if (o.command != "ingest" && o.command != "verify" && o.command != "find")
        throw UsageError("unknown command '" + o.command + "'");
    std::vector<std::string> operands;
    bool endOfOptions = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (endOfOptions || a.empty() || a[0] != '-') {
            operands.push_back(a);
        } else if (a == "--") {
            endOfOptions = true;
        } else if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--json") {
            o.json = true;
        } else if (a == "-q" || a == "--quiet") {
            o.quiet = true;
        } else if (const auto option = ValueOptions().find(a); option != ValueOptions().end()) {
            if (!Takes(o.command, a))
                throw UsageError(o.command + " does not take " + a);
            if (++i == args.size())
                throw UsageError(a + " needs a value");
            option->second(o, a, args[i]);
        } else {
            throw UsageError("unknown option " + a);
        }
    }
    if (o.help)
        return o;
    Check(o, operands);
    o.library = operands.back();
    if (o.command == "ingest")
        o.dataRoot = operands.front();
    return o;
}

}  // namespace tramlet::library::tool
