#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

namespace tramlet::library::tool {

// One line of progress on a terminal (stderr), redrawn at most ten times a
// second; nothing when stderr is no terminal or the user asked for quiet.
class ProgressLine {
  public:
    explicit ProgressLine(bool wanted);
    void Show(std::size_t filesDone, std::size_t filesTotal, std::uint64_t bytesDone,
              std::uint64_t bytesTotal, const std::string& current);
    // Wipes the line, so that a message can be printed in its place.
    void Clear();

  private:
    bool on_;
    bool drawn_ = false;
    std::chrono::steady_clock::time_point last_{};
};

}  // namespace tramlet::library::tool
