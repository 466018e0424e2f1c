#include "avifix/clip_io.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "catalogue/folder_listing.h"
#include "catalogue/wildcard.h"

namespace tramlet::avifix {
namespace {

std::string ErrnoText(int error) {
    return strerror(error);
}

class PosixClipFile final : public ClipFile {
  public:
    explicit PosixClipFile(int fd) : fd_(fd) {}
    ~PosixClipFile() override { close(fd_); }

    bool Size(uint64_t& size) override {
        struct stat st;
        if (fstat(fd_, &st) != 0)
            return Fail(errno);
        size = static_cast<uint64_t>(st.st_size);
        return true;
    }

    int64_t ReadAt(uint64_t offset, void* buffer, size_t n) override {
        size_t done = 0;
        while (done < n) {
            const ssize_t r = pread(fd_, static_cast<char*>(buffer) + done, n - done,
                                    static_cast<off_t>(offset + done));
            if (r < 0) {
                if (errno == EINTR)
                    continue;
                Fail(errno);
                return -1;
            }
            if (r == 0)
                break;
            done += static_cast<size_t>(r);
        }
        return static_cast<int64_t>(done);
    }

    bool WriteAt(uint64_t offset, const void* data, size_t n) override {
        size_t done = 0;
        while (done < n) {
            const ssize_t r = pwrite(fd_, static_cast<const char*>(data) + done, n - done,
                                     static_cast<off_t>(offset + done));
            if (r < 0) {
                if (errno == EINTR)
                    continue;
                return Fail(errno);
            }
            done += static_cast<size_t>(r);
        }
        return true;
    }

    bool WriteSectorAt(uint64_t offset, const void* data, size_t n) override {
        if (n == 0 || offset / 512 != (offset + n - 1) / 512)
            return Fail(EINVAL);
        return WriteAt(offset, data, n);  // one pwrite of less than a sector
    }

    bool Sync() override { return fsync(fd_) == 0 || Fail(errno); }

    std::string LastError() const override { return error_; }

  private:
    bool Fail(int error) {
        error_ = ErrnoText(error);
        return false;
    }

    int fd_;
    std::string error_;
};

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa, sb;
    return lstat(a.c_str(), &sa) == 0 && lstat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

// Two hard links to one file are the trace of a link + unlink cut short. Two
// spellings of one name on a case-blind file system look the same to stat,
// but there the file has a single entry, and dropping "the other" name would
// delete it.
bool IsInterruptedLink(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (SameNameIgnoringCase(from.filename().string(), to.filename().string()) ||
        from.parent_path() != to.parent_path())
        return false;
    const FolderListing listing =
        FolderListing::Read(from.has_parent_path() ? from.parent_path().string() : ".");
    const std::vector<std::string>& names = listing.Names();
    const auto listed = [&names](const std::filesystem::path& path) {
        return std::find(names.begin(), names.end(), path.filename().string()) != names.end();
    };
    return listed(from) && listed(to);
}

// The target is taken: by the file itself (an interrupted link + unlink,
// whose second name goes now) or by another file (kept, as both are).
RenameStatus OnTargetTaken(const std::string& from, const std::string& to, std::string* error) {
    if (!SameFile(from, to) || !IsInterruptedLink(from, to))
        return RenameStatus::TargetExists;
    if (unlink(from.c_str()) == 0)
        return RenameStatus::Done;
    if (error)
        *error = ErrnoText(errno);
    return RenameStatus::Failed;
}

bool Unsupported(int e) {
    return e == EINVAL || e == ENOSYS || e == ENOTSUP || e == EOPNOTSUPP;
}

class PosixClipFileSystem final : public ClipFileSystem {
  public:
    std::vector<std::string> FindFiles(const std::string& pathPattern) override {
        return tramlet::FindFiles(pathPattern);
    }

    std::unique_ptr<ClipFile> OpenForUpdate(const std::string& path, std::string* error) override {
        // O_NONBLOCK keeps a FIFO named *.avi from hanging the open, and
        // O_NOFOLLOW keeps a symlink from handing us another file to rewrite;
        // only regular files go further.
        const int fd = open(path.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW);
        if (fd < 0) {
            if (error)
                *error = errno == ELOOP ? "a symbolic link, not a regular file" : ErrnoText(errno);
            return nullptr;
        }
        struct stat st;
        if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            if (error)
                *error = "not a regular file";
            close(fd);
            return nullptr;
        }
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
        return std::make_unique<PosixClipFile>(fd);
    }

    bool Exists(const std::string& path) override {
        struct stat st;
        return lstat(path.c_str(), &st) == 0;
    }

    std::optional<uint64_t> SizeOf(const std::string& path) override {
        struct stat st;
        if (lstat(path.c_str(), &st) != 0)
            return std::nullopt;
        return static_cast<uint64_t>(st.st_size);
    }

    RenameStatus RenameNoReplace(const std::string& from, const std::string& to,
                                 std::string* error) override {
        if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
            return RenameStatus::Done;
        }
        const int e = errno;
        if (e == EEXIST)
            return OnTargetTaken(from, to, error);
        if (Unsupported(e))
            return RenameByLink(from, to, error);
        if (error)
            *error = ErrnoText(e);
        return RenameStatus::Failed;
    }

    void SyncDirectory(const std::string& folder) override {
        const int fd =
            open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return;
        fsync(fd);
        close(fd);
    }

    std::optional<FolderId> IdentifyFolder(const std::string& folder) override {
        return tramlet::IdentifyFolder(folder);
    }
};

}  // namespace

RenameStatus RenameByLink(const std::string& from, const std::string& to, std::string* error) {
    if (link(from.c_str(), to.c_str()) == 0) {
        if (unlink(from.c_str()) == 0)
            return RenameStatus::Done;
        if (error)
            *error = "linked, but the old name stays: " + ErrnoText(errno);
        return RenameStatus::Failed;
    }
    const int e = errno;
    if (e == EEXIST)
        return OnTargetTaken(from, to, error);
    if (e == EPERM || e == EMLINK || Unsupported(e)) {
        // No hard links either (FAT, exFAT through FUSE): check, then rename.
        // Only a second program racing for the same name could slip in.
        struct stat st;
        if (lstat(to.c_str(), &st) == 0)
            return RenameStatus::TargetExists;
        if (rename(from.c_str(), to.c_str()) == 0)
            return RenameStatus::Done;
    }
    if (error)
        *error = ErrnoText(errno);
    return RenameStatus::Failed;
}

ClipFileSystem& PosixFileSystem() {
    static PosixClipFileSystem fs;
    return fs;
}

}  // namespace tramlet::avifix
