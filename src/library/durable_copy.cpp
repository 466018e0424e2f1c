#include "library/durable_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <utility>
#include <vector>

#include "backup/block_io.h"
#include "backup/hash_thread.h"
#include "backup/sha256.h"
#include "common/atomic_file.h"

namespace tramlet::library {
namespace {

// Small enough that a block stays in the processor's cache from its read to
// its write, its read-back and its hash: blocks of 4 MiB went out to memory
// at each step and cost three times the system time.
constexpr size_t kBlockSize = 256 << 10;

std::string Why(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

bool Cancelled(const std::atomic<bool>* cancel) {
    return cancel && cancel->load();
}

// The new file, removed again unless finished.
class NewFile {
  public:
    explicit NewFile(const std::string& path)
        : path_(path), fd_(::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644)) {}
    ~NewFile() {
        if (fd_ >= 0) {
            ::close(fd_);
            ::unlink(path_.c_str());
        }
    }
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    int Fd() const { return fd_; }
    // Flushes and closes; false with errno set on failure.
    bool Finish() {
        if (::fsync(fd_) != 0)
            return false;
        if (::close(std::exchange(fd_, -1)) == 0)
            return true;
        const int error = errno;
        ::unlink(path_.c_str());
        errno = error;
        return false;
    }

  private:
    std::string path_;
    int fd_;
};

}  // namespace

// Two blocks of card data take turns: while one is hashed, the next is read,
// written, read back and compared.
struct DurableCopier::Pipeline {
    std::vector<char> blocks[2] = {std::vector<char>(kBlockSize), std::vector<char>(kBlockSize)};
    std::vector<char> readBack = std::vector<char>(kBlockSize);
    HashThread sourceHash;  // declared after the blocks: stops before they go
};

DurableCopier::DurableCopier() : pipeline_(std::make_unique<Pipeline>()) {}

DurableCopier::~DurableCopier() = default;

CopyOutcome DurableCopier::Copy(int sourceFd, const std::string& target,
                                const ByteProgress& progress, const std::atomic<bool>* cancel) {
    CopyOutcome outcome;
    NewFile file(target);
    if (file.Fd() < 0) {
        outcome.error = Why("cannot make " + target);
        return outcome;
    }
    ::posix_fadvise(sourceFd, 0, 0, POSIX_FADV_SEQUENTIAL);
    Pipeline& p = *pipeline_;
    p.sourceHash.Reset();
    off_t offset = 0;
    for (int turn = 0;; turn ^= 1) {
        if (Cancelled(cancel)) {
            outcome.cancelled = true;
            return outcome;
        }
        char* block = p.blocks[turn].data();
        const ssize_t got = ReadFull(sourceFd, block, kBlockSize);
        if (got < 0) {
            outcome.error = Why("cannot read the card");
            return outcome;
        }
        if (got == 0)
            break;
        p.sourceHash.Submit(block, static_cast<size_t>(got));
        if (!WriteAll(file.Fd(), block, static_cast<size_t>(got), ::write)) {
            outcome.error = Why("cannot write " + target);
            return outcome;
        }
        // Starting the write-back of each block at once leaves less for the
        // final flush to wait for.
        ::sync_file_range(file.Fd(), offset, got, SYNC_FILE_RANGE_WRITE);
        // Byte for byte, the new file must hold what was read: a stronger
        // check than a second hash of it, at a fraction of the cost.
        char* back = p.readBack.data();
        if (::pread(file.Fd(), back, static_cast<size_t>(got), offset) != got) {
            outcome.error = Why("cannot read back " + target);
            return outcome;
        }
        if (std::memcmp(back, block, static_cast<size_t>(got)) != 0) {
            outcome.error = "the copy of " + target + " does not hold what was read";
            return outcome;
        }
        offset += got;
        if (progress)
            progress(static_cast<std::uint64_t>(got));
    }
    if (!file.Finish()) {
        outcome.error = Why("cannot flush " + target);
        return outcome;
    }
    outcome.size = static_cast<std::uint64_t>(offset);
    outcome.sha256 = p.sourceHash.Finish();
    outcome.ok = true;
    return outcome;
}

CopyOutcome DurableCopier::Write(std::string_view bytes, const std::string& target) {
    CopyOutcome outcome;
    NewFile file(target);
    if (file.Fd() < 0) {
        outcome.error = Why("cannot make " + target);
        return outcome;
    }
    if (!WriteAll(file.Fd(), bytes.data(), bytes.size(), ::write) || !file.Finish()) {
        outcome.error = Why("cannot write " + target);
        return outcome;
    }
    Sha256 hash;
    hash.Update(bytes.data(), bytes.size());
    outcome.sha256 = hash.HexDigest();
    if (const auto copied = HashFile(target); !copied || *copied != outcome.sha256) {
        ::unlink(target.c_str());
        outcome.error =
            copied ? "the copy of " + target + " does not hold what was read" : copied.error().text;
        return outcome;
    }
    outcome.size = bytes.size();
    outcome.ok = true;
    return outcome;
}

bool SyncFolder(const std::string& folder) {
    const int error = FlushFolder(folder);
    errno = error;
    return error == 0;
}

bool MakeFolders(const std::string& base, const std::string& relative, std::string& error) {
    std::string folder = base;
    for (const auto& part : std::filesystem::path(relative)) {
        if (part.empty())
            continue;
        const std::string parent = folder;
        folder += part.string() + "/";
        if (::mkdir(folder.c_str(), 0755) == 0) {
            if (!SyncFolder(parent)) {
                error = Why("cannot flush " + parent);
                return false;
            }
        } else if (errno != EEXIST) {
            error = Why("cannot make " + folder);
            return false;
        }
    }
    return true;
}

}  // namespace tramlet::library
