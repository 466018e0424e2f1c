#include "progress_line.h"

#include <unistd.h>

#include <cstdio>

namespace tramlet::library::tool {

ProgressLine::ProgressLine(bool wanted) : on_(wanted && ::isatty(STDERR_FILENO)) {}

void ProgressLine::Show(std::size_t filesDone, std::size_t filesTotal, std::uint64_t bytesDone,
                        std::uint64_t bytesTotal, const std::string& current) {
    const auto now = std::chrono::steady_clock::now();
    if (!on_ || (drawn_ && now - last_ < std::chrono::milliseconds(100)))
        return;
    last_ = now;
    constexpr int kWidth = 24;
    const int filled =
        bytesTotal ? static_cast<int>(bytesDone * kWidth / bytesTotal) : kWidth * (filesDone > 0);
    std::string bar(static_cast<size_t>(kWidth), '.');
    bar.replace(0, static_cast<size_t>(filled), static_cast<size_t>(filled), '#');
    const std::string name =
        current.size() > 36 ? "..." + current.substr(current.size() - 33) : current;
    std::fprintf(stderr, "\r\033[K[%s] %zu/%zu files %llu/%llu MB %s", bar.c_str(), filesDone,
                 filesTotal, static_cast<unsigned long long>(bytesDone >> 20),
                 static_cast<unsigned long long>(bytesTotal >> 20), name.c_str());
    std::fflush(stderr);
    drawn_ = true;
}

void ProgressLine::Clear() {
    if (on_ && drawn_)
        std::fputs("\r\033[K", stderr);
    drawn_ = false;
}

}  // namespace tramlet::library::tool
