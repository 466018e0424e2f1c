#include "bench_support.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <stdexcept>

namespace tramlet::bench {

ScratchDir::ScratchDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "tramlet-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a scratch folder");
    path_ = pattern;
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

double BestSeconds(int runs, const std::function<void()>& work) {
    double best = std::numeric_limits<double>::max();
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

double BestCommandSeconds(int runs, const std::string& command) {
    const std::string quiet = command + " >/dev/null 2>&1";
    return BestSeconds(runs, [&] {
        if (std::system(quiet.c_str()) != 0)
            throw std::runtime_error("baseline failed: " + command);
    });
}

bool ReportRatio(const std::string& name, double seconds, const std::string& baselineName,
                 double baselineSeconds, double target) {
    const double ratio = seconds / baselineSeconds;
    const bool met = ratio < target;
    std::printf("%s: %.2f ms; %s: %.2f ms; ratio %.2f (target < %.2f: %s)\n", name.c_str(),
                seconds * 1e3, baselineName.c_str(), baselineSeconds * 1e3, ratio, target,
                met ? "met" : "NOT met");
    return met;
}

std::string ShellQuote(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

void CreateEmptyFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY, 0644);
    if (fd >= 0)
        ::close(fd);
}

}  // namespace tramlet::bench
