// Backing up a period of 300 MB of clips, checksums included and flushed to
// disk, against what a user would run for the same result, in the same run:
// `cp` then `sync` (the same lasting copy), and `cp` then `sha256sum` of the
// copies (the same checksum file).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "backup/backup_copier.h"
#include "backup/backup_plan.h"
#include "bench_support.h"
#include "catalogue/clip_name.h"
#include "catalogue/storage_layout.h"
#include "common/local_moment.h"

namespace {

using namespace tramlet;

constexpr int kClips = 30;
constexpr size_t kClipSize = 10 << 20;

void MakeCard(const DataRootPath& root) {
    ::mkdir(VideoFolder(root).c_str(), 0755);
    std::vector<char> data(kClipSize);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(i * 2654435761u >> 24);
    for (int i = 0; i < kClips; ++i) {
        const ClipName clip{2024, 5, 1, 10, i, 0, 1, 60};
        const int fd = ::open(ClipPath(root, clip.FileName()).c_str(), O_CREAT | O_WRONLY, 0644);
        if (fd < 0 || ::write(fd, data.data(), data.size()) != static_cast<ssize_t>(data.size())) {
            std::perror("cannot write the card");
        }
        if (fd >= 0)
            ::close(fd);
    }
}

}  // namespace

int main() {
    bench::ScratchDir card, target;
    const DataRootPath root(card.Root());
    MakeCard(root);
    const auto plan =
        PlanPeriod(root, *LocalMoment(2024, 5, 1, 0, 0, 0), *LocalMoment(2024, 5, 1, 23, 0, 0));

    std::atomic<bool> cancel{false};
    size_t copied = 0;
    const double backup = bench::BestSeconds(3, [&] {
        std::filesystem::remove_all(target.Path() + "/video");
        copied = BackupCopier(target.Path()).Run(plan, nullptr, cancel).copied.size();
    });
    const std::string copyTo = bench::ShellQuote(target.Path() + "/cp");
    const std::string copy = "rm -rf " + copyTo + " && mkdir " + copyTo + " && cp " +
                             bench::ShellQuote(VideoFolder(root)) + "/*.avi " + copyTo;
    const double cpSync = bench::BestCommandSeconds(3, copy + " && sync");
    const double cpHash =
        bench::BestCommandSeconds(3, copy + " && cd " + copyTo + " && sha256sum *.avi >SHA256SUMS");
    std::printf("%zu clips, %zu MB\n", copied, copied * kClipSize >> 20);
    const bool durable = bench::ReportRatio("backup", backup, "cp && sync", cpSync, 1.2);
    const bool hashed = bench::ReportRatio("backup", backup, "cp && sha256sum", cpHash, 0.5);
    return durable && hashed ? 0 : 1;
}
