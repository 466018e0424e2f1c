#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <string>

namespace tramlet {

// A regular file opened for reading, closed however the copy ends. A FIFO
// named like a clip must not block the open, and a symlink must not lead
// the copy to another file (or to /dev/zero).
class SourceFile {
  public:
    explicit SourceFile(const std::string& path);
    ~SourceFile();
    SourceFile(const SourceFile&) = delete;
    SourceFile& operator=(const SourceFile&) = delete;

    int Fd() const { return fd_; }
    const struct stat& Stat() const { return stat_; }
    // When Fd() < 0: the errno of the open, or ELOOP for a symlink; 0 when
    // it opened but is no regular file.
    int Error() const { return error_; }

  private:
    int fd_;
    int error_ = 0;
    struct stat stat_ {};
};

// Reads until the block is full or the file ends; -1 with errno on failure.
ssize_t ReadFull(int fd, char* data, std::size_t size);

using WriteFunction = std::function<ssize_t(int fd, const void* data, std::size_t size)>;

// Writes the whole block through `write` (::write, or a test's stand-in),
// going on after short writes and interruptions; false with errno set, to
// ENOSPC for a write that wrote nothing.
bool WriteAll(int fd, const char* data, std::size_t size, const WriteFunction& write);

}  // namespace tramlet
