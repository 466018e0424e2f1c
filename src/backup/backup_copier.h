#pragma once

#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "backup/backup_plan.h"
#include "common/data_root_path.h"
#include "common/failure.h"

namespace tramlet {

struct BackupProgress {
    int filesDone = 0;
    int filesTotal = 0;
    std::uint64_t bytesDone = 0;
    std::uint64_t bytesTotal = 0;
    std::string currentFile;  // relative destination of the file being copied
};

// Why a file was not copied.
enum class BackupProblem {
    kSourceMissing,      // not on the card
    kSourceNotRegular,   // a link, FIFO, device or folder by a clip's name
    kSourceUnreadable,   // the card could not be read
    kCardRemoved,        // the card went away during the backup
    kFolderNotMade,      // the backup folder's video/ or gps/ could not be made
    kCopyFailed,         // the copy could not be made, written, flushed or put in place
    kChecksumsNotSaved,  // SHA256SUMS could not be written
};

// A file that was not copied, and why. The failure holds no text: the
// backup dialog words each kind, and its errno, in the user's language.
struct BackupFailure {
    std::string file;  // relative destination
    Failure<BackupProblem> why;
};

struct BackupReport {
    std::vector<std::string> copied;  // relative destinations, in copy order
    std::vector<BackupFailure> failures;
    bool cancelled = false;

    bool Complete() const { return failures.empty() && !cancelled; }
};

// Copies a backup plan into a backup folder. Each file goes to a temporary
// name beside its destination, is flushed to disk and only then renamed into
// place, so the backup never holds a half-written clip; an existing file of
// the same name is replaced, and temporaries that a killed run left behind
// are removed first. Hashes are taken while copying and added to the folder's
// SHA256SUMS, which `sha256sum -c` verifies. Sources are read only when they
// are regular files. When the card goes away, the copy stops and the report
// names every file that was not copied.
class BackupCopier {
  public:
    using ProgressCallback = std::function<void(const BackupProgress&)>;
    using WriteFunction = std::function<ssize_t(int fd, const void* data, size_t size)>;
    using FlushFunction = std::function<int(int fd)>;

    explicit BackupCopier(std::string backupDir);
    ~BackupCopier();

    // Lets tests make writes fail (a full disk, a pulled card).
    void SetWriteFunction(WriteFunction write) { write_ = std::move(write); }
    // Lets tests watch and fail the flushes of copies and folders (fsync).
    void SetFlushFunction(FlushFunction flush) { flush_ = std::move(flush); }

    // Runs on any thread; `cancel` is looked at between blocks.
    BackupReport Run(const std::vector<BackupItem>& plan, const ProgressCallback& progress,
                     const std::atomic<bool>& cancel);

  private:
    enum class Outcome { kCopied, kAbsent, kCancelled };

    Expected<Outcome, Failure<BackupProblem>> CopyFile(const BackupItem& item,
                                                       BackupProgress& progress,
                                                       const ProgressCallback& report,
                                                       const std::atomic<bool>& cancel,
                                                       std::string& hash);
    bool WriteAll(int fd, const char* data, size_t size);
    void PrepareFolders();
    void FlushFolders(BackupReport& result) const;

    struct Pipeline;

    std::string backupDir_;  // ends in '/'
    WriteFunction write_;
    FlushFunction flush_;
    std::map<std::string, int> folderErrors_;  // "video", "gps" -> errno of making it
    std::unique_ptr<Pipeline> pipeline_;       // lives for one Run
};

// True when both paths name the same folder (a backup folder must not be the
// data root, or files would be copied onto themselves).
bool IsSameFolder(const std::string& a, const std::string& b);

// True when `path` is `folder` or lies below it, links followed; parts of
// `path` that do not exist yet are fine.
bool LiesWithinFolder(const std::string& path, const std::string& folder);

// True when a backup into `backupDir` would write into the data root's own
// video or gps folder: the same folder, or links that lead there.
bool WouldCopyOntoDataRoot(const std::string& backupDir, const DataRootPath& dataRoot);

}  // namespace tramlet
