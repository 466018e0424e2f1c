#include "backup/backup_copier.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "backup/hash_thread.h"
#include "backup/sha256_sums.h"

namespace tramlet {
namespace {

constexpr size_t kBlockSize = 1 << 20;

std::string WithSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

std::string Reason(const char* what, int error) {
    if (error == ENOENT)
        return std::string(what) + ": the file is missing";
    return std::string(what) + ": " + std::strerror(error);
}

// A file made beside its destination, removed again unless committed.
class TempFile {
  public:
    explicit TempFile(std::string path) : path_(std::move(path)), fd_(::mkstemp(path_.data())) {
        created_ = fd_ >= 0;
    }
    ~TempFile() {
        if (fd_ >= 0)
            ::close(fd_);
        if (created_ && !committed_)
            ::unlink(path_.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    int Fd() const { return fd_; }
    bool Ok() const { return fd_ >= 0; }
    // Closes and renames into place; false with errno set on failure.
    bool Commit(const std::string& destination) {
        const int fd = std::exchange(fd_, -1);
        if (::close(fd) != 0)
            return false;
        if (std::rename(path_.c_str(), destination.c_str()) != 0)
            return false;
        committed_ = true;
        return true;
    }

  private:
    std::string path_;
    int fd_;
    bool created_ = false;
    bool committed_ = false;
};

// Closes the source however the copy ends.
class SourceFile {
  public:
    explicit SourceFile(const std::string& path)
        : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~SourceFile() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    SourceFile(const SourceFile&) = delete;
    SourceFile& operator=(const SourceFile&) = delete;

    int Fd() const { return fd_; }

  private:
    int fd_;
};

// Reads until the block is full or the file ends; -1 with errno on failure.
ssize_t ReadFull(int fd, char* data, size_t size) {
    size_t got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, data + got, size - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        got += static_cast<size_t>(n);
    }
    return static_cast<ssize_t>(got);
}

std::uint64_t SizeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
}

}  // namespace

// Two blocks take turns: one is read and written while the other is hashed.
struct BackupCopier::Pipeline {
    std::vector<char> blocks[2] = {std::vector<char>(kBlockSize), std::vector<char>(kBlockSize)};
    HashThread hasher;  // declared last: stops before the blocks go
};

BackupCopier::BackupCopier(std::string backupDir)
    : backupDir_(WithSlash(std::move(backupDir))),
      write_([](int fd, const void* data, size_t size) { return ::write(fd, data, size); }) {}

BackupCopier::~BackupCopier() = default;

void BackupCopier::MakeFolders() const {
    // Failures (the folder exists, or cannot be made) show up as failed copies.
    ::mkdir((backupDir_ + "video").c_str(), 0755);
    ::mkdir((backupDir_ + "gps").c_str(), 0755);
}

BackupReport BackupCopier::Run(const std::vector<BackupItem>& plan, const ProgressCallback& report,
                               const std::atomic<bool>& cancel) {
    MakeFolders();
    BackupProgress progress;
    progress.filesTotal = static_cast<int>(plan.size());
    for (const BackupItem& item : plan)
        progress.bytesTotal += SizeOf(item.source);

    BackupReport result;
    Sha256Sums sums(backupDir_ + "SHA256SUMS");
    pipeline_ = std::make_unique<Pipeline>();
    for (const BackupItem& item : plan) {
        if (cancel.load()) {
            result.cancelled = true;
            break;
        }
        progress.currentFile = item.relativeDestination;
        if (report)
            report(progress);
        std::string hashOrReason;
        switch (CopyFile(item, progress, report, cancel, hashOrReason)) {
            case Outcome::kCopied:
                result.copied.push_back(item.relativeDestination);
                sums.Set(item.relativeDestination, hashOrReason);
                break;
            case Outcome::kAbsent:
                break;
            case Outcome::kFailed:
                result.failures.push_back({item.relativeDestination, hashOrReason});
                break;
            case Outcome::kCancelled:
                result.cancelled = true;
                break;
        }
        if (result.cancelled)
            break;
        ++progress.filesDone;
    }
    if (!result.copied.empty()) {
        if (std::string error = sums.Save(); !error.empty()) {
            result.failures.push_back({"SHA256SUMS", error});
        }
    }
    pipeline_.reset();
    if (report)
        report(progress);
    return result;
}

BackupCopier::Outcome BackupCopier::CopyFile(const BackupItem& item, BackupProgress& progress,
                                             const ProgressCallback& report,
                                             const std::atomic<bool>& cancel,
                                             std::string& hashOrReason) {
    const SourceFile source(item.source);
    if (source.Fd() < 0) {
        if (errno == ENOENT && item.mayBeMissing)
            return Outcome::kAbsent;
        hashOrReason = Reason("cannot open the source", errno);
        return Outcome::kFailed;
    }
    struct stat st {};
    ::fstat(source.Fd(), &st);

    const std::string destination = backupDir_ + item.relativeDestination;
    const size_t slash = destination.rfind('/');
    TempFile temp(destination.substr(0, slash + 1) + "." + destination.substr(slash + 1) +
                  ".part-XXXXXX");
    auto fail = [&](const char* what, int error) {
        hashOrReason = Reason(what, error);
        return Outcome::kFailed;
    };
    if (!temp.Ok())
        return fail("cannot create the copy", errno);

    // Reading ahead in large steps and starting the write-back of each block
    // at once leave less for the final flush to wait for.
    ::posix_fadvise(source.Fd(), 0, 0, POSIX_FADV_SEQUENTIAL);
    HashThread& hasher = pipeline_->hasher;
    hasher.Reset();
    off_t written = 0;
    for (int turn = 0;; turn ^= 1) {
        if (cancel.load())
            return Outcome::kCancelled;
        std::vector<char>& block = pipeline_->blocks[turn];
        const ssize_t got = ReadFull(source.Fd(), block.data(), block.size());
        if (got < 0)
            return fail("cannot read the source", errno);
        if (got == 0)
            break;
        if (!WriteAll(temp.Fd(), block.data(), static_cast<size_t>(got))) {
            return fail("cannot write the copy", errno);
        }
        ::sync_file_range(temp.Fd(), written, got, SYNC_FILE_RANGE_WRITE);
        written += got;
        hasher.Submit(block.data(), static_cast<size_t>(got));
        progress.bytesDone += static_cast<std::uint64_t>(got);
        if (report)
            report(progress);
    }
    if (::fsync(temp.Fd()) != 0)
        return fail("cannot write the copy", errno);
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::futimens(temp.Fd(), times);
    ::fchmod(temp.Fd(), st.st_mode & 0777);
    if (!temp.Commit(destination))
        return fail("cannot put the copy in place", errno);
    hashOrReason = hasher.Finish();
    return Outcome::kCopied;
}

bool BackupCopier::WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t wrote = write_(fd, data, size);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0) {
            if (wrote == 0)
                errno = ENOSPC;
            return false;
        }
        data += wrote;
        size -= static_cast<size_t>(wrote);
    }
    return true;
}

bool IsSameFolder(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
    if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool WouldCopyOntoDataRoot(const std::string& backupDir, const std::string& dataRoot) {
    const std::string backup = WithSlash(backupDir);
    const std::string root = WithSlash(dataRoot);
    return IsSameFolder(backup, root) || IsSameFolder(backup + "video", root + "video") ||
           IsSameFolder(backup + "gps", root + "gps");
}

}  // namespace tramlet
