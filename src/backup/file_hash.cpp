#include "backup/file_hash.h"

#include <fcntl.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "backup/block_io.h"
#include "backup/hash_thread.h"

namespace tramlet {
namespace {

// Small enough that a block stays in the processor's cache from its read to
// its hash.
constexpr size_t kBlockSize = 256 << 10;

}  // namespace

Expected<std::string, Failure<HashProblem>> HashFile(const std::string& path,
                                                     const ByteProgress& progress,
                                                     const std::atomic<bool>* cancel) {
    const auto unreadable = [&path] {
        const int error = errno;
        return Unexpected(Failure<HashProblem>{
            HashProblem::kUnreadable, error, "cannot read " + path + ": " + std::strerror(error)});
    };
    const SourceFile file(path);
    if (file.Fd() < 0) {
        errno = file.Error() ? file.Error() : EINVAL;
        return unreadable();
    }
    ::posix_fadvise(file.Fd(), 0, 0, POSIX_FADV_SEQUENTIAL);
    std::vector<char> blocks[2] = {std::vector<char>(kBlockSize), std::vector<char>(kBlockSize)};
    HashThread hash;  // after the blocks: stops before they go
    for (int turn = 0;; turn ^= 1) {
        if (cancel && cancel->load())
            return Unexpected(Failure<HashProblem>{HashProblem::kCancelled, 0, {}});
        const ssize_t got = ReadFull(file.Fd(), blocks[turn].data(), kBlockSize);
        if (got < 0)
            return unreadable();
        if (got == 0)
            break;
        hash.Submit(blocks[turn].data(), static_cast<size_t>(got));
        if (progress)
            progress(static_cast<std::uint64_t>(got));
    }
    return hash.Finish();
}

}  // namespace tramlet
