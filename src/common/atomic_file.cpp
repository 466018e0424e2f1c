#include "common/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <utility>

#include "common/path_text.h"

namespace tramlet {
namespace {

constexpr std::string_view kMark = ".part-";
constexpr size_t kRandom = 6;  // mkstemp's XXXXXX

mode_t UsualMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

AtomicFile::AtomicFile(std::string destination) : destination_(std::move(destination)) {
    temporary_ = FolderOf(destination_) + "." + NameOf(destination_) + std::string(kMark) +
                 std::string(kRandom, 'X');
    fd_ = ::mkstemp(temporary_.data());
    if (fd_ < 0) {
        error_ = errno;
        return;
    }
    created_ = true;
    // mkstemp makes the file private; the file gets the user's usual mode.
    ::fchmod(fd_, UsualMode());
}

AtomicFile::~AtomicFile() {
    if (fd_ >= 0)
        ::close(fd_);
    if (created_ && !committed_)
        ::unlink(temporary_.c_str());
}

int AtomicFile::Commit(FolderFlush folder, const FlushFunction& flush) {
    if (fd_ < 0)
        return error_ != 0 ? error_ : EBADF;
    if ((flush ? flush(fd_) : ::fsync(fd_)) != 0)
        return error_ = errno;
    if (::close(std::exchange(fd_, -1)) != 0)
        return error_ = errno;
    if (std::rename(temporary_.c_str(), destination_.c_str()) != 0)
        return error_ = errno;
    committed_ = true;
    if (folder == FolderFlush::kNow)
        error_ = FlushFolder(FolderOf(destination_).empty() ? "." : FolderOf(destination_));
    return error_;
}

bool AtomicFile::IsTemporaryName(std::string_view name) {
    return name.size() > 1 + kMark.size() + kRandom && name.front() == '.' &&
           name.substr(name.size() - kRandom - kMark.size(), kMark.size()) == kMark;
}

int FlushFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const int error = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return error;
}

}  // namespace tramlet
