#pragma once

#include <functional>
#include <string>

namespace tramlet::bench {

// A scratch folder for one benchmark run, removed afterwards.
class ScratchDir {
  public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& Path() const { return path_; }
    std::string Root() const { return path_ + "/"; }

  private:
    std::string path_;
};

// Seconds of the fastest of `runs` calls: the least disturbed by the other
// work of a shared machine.
double BestSeconds(int runs, const std::function<void()>& work);

// Seconds of the fastest of `runs` runs of a shell command (output discarded).
double BestCommandSeconds(int runs, const std::string& command);

// Prints "name: X ms, baseline: Y ms, ratio R (target < T)" and returns
// whether the target was met, for the exit status.
bool ReportRatio(const std::string& name, double seconds, const std::string& baselineName,
                 double baselineSeconds, double target);

std::string ShellQuote(const std::string& text);

// An empty file: enough for benchmarks that only list names.
void CreateEmptyFile(const std::string& path);

}  // namespace tramlet::bench
