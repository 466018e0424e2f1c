#include "library/staging_area.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "library/library_layout.h"

namespace tramlet::library {
namespace {

namespace fs = std::filesystem;

// ".tramlet-ingest@PID@START@BOOT@HOST": the process, its start time in
// clock ticks after boot (a pid is reused, the pair is not), the boot and
// the machine. A host name holds no '@'.
constexpr std::string_view kPrefix = ".tramlet-ingest@";
constexpr auto kForeignStaleAfter = std::chrono::hours(24);

std::string ReadFirstLine(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

std::string HostName() {
    char name[256] = {};
    ::gethostname(name, sizeof name - 1);
    return name;
}

std::string BootId() {
    return ReadFirstLine("/proc/sys/kernel/random/boot_id");
}

// Field 22 of /proc/PID/stat; empty when there is no such process.
std::string StartTime(const std::string& pid) {
    const std::string stat = ReadFirstLine("/proc/" + pid + "/stat");
    const size_t end = stat.rfind(')');  // the command name may hold spaces
    if (end == std::string::npos)
        return {};
    std::istringstream fields(stat.substr(end + 2));
    std::string field;
    for (int i = 3; i <= 22 && fields >> field; ++i) {
    }
    return field;
}

std::string OwnTag() {
    const std::string pid = std::to_string(::getpid());
    return pid + "@" + StartTime(pid) + "@" + BootId() + "@" + HostName();
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, separator);)
        parts.push_back(part);
    return parts;
}

bool IsAbandoned(const fs::directory_entry& entry) {
    const std::vector<std::string> owner =
        Split(entry.path().filename().string().substr(kPrefix.size()), '@');
    if (owner.size() == 4 && owner[3] == HostName()) {
        return owner[2] != BootId() || StartTime(owner[0]) != owner[1] || owner[1].empty();
    }
    std::error_code error;
    const auto modified = fs::last_write_time(entry.path(), error);
    return !error && fs::file_time_type::clock::now() - modified > kForeignStaleAfter;
}

}  // namespace

StagingArea::StagingArea(std::string vehicleRoot)
    : folder_(std::move(vehicleRoot) + std::string(kPrefix) + OwnTag() + "/") {
    if (::mkdir(folder_.c_str(), 0700) != 0)
        error_ = "cannot make " + folder_ + ": " + std::strerror(errno);
}

StagingArea::~StagingArea() {
    if (!error_.empty())
        return;
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
}

int StagingArea::RemoveAbandoned(const std::string& library) {
    int removed = 0;
    std::error_code error;
    for (const auto& vehicle : fs::directory_iterator(LibraryFolder(library), error)) {
        std::error_code inner;
        if (!vehicle.is_directory(inner))
            continue;
        for (const auto& entry : fs::directory_iterator(vehicle.path(), inner)) {
            if (!entry.path().filename().string().starts_with(kPrefix) || !IsAbandoned(entry))
                continue;
            std::error_code ignored;
            removed += fs::remove_all(entry.path(), ignored) > 0 ? 1 : 0;
        }
    }
    return removed;
}

}  // namespace tramlet::library
