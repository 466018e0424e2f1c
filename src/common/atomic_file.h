#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace tramlet {

// A file written under a temporary name beside its destination
// (".NAME.part-XXXXXX") and put in place by rename only once it is complete
// and on disk, so that a full disk, a pulled stick or a crash never leaves a
// truncated file under the real name. Unless committed, the temporary goes
// again with this object.
class AtomicFile {
  public:
    using FlushFunction = std::function<int(int fd)>;
    enum class FolderFlush {
        kNow,    // the rename lasts when Commit returns
        kLater,  // the caller flushes the folder once, after many files
    };

    // Creates the temporary with the mode a new file usually gets (0666
    // less the umask); Error() says why when it could not.
    explicit AtomicFile(std::string destination);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    bool Ok() const { return fd_ >= 0; }
    int Fd() const { return fd_; }
    const std::string& TemporaryPath() const { return temporary_; }
    const std::string& Destination() const { return destination_; }
    // The errno of what failed; 0 while all is well.
    int Error() const { return error_; }

    // Flushes the file with `flush` (fsync unless a test watches), closes
    // it, renames it into place and, for kNow, flushes its folder. Returns
    // the errno of what failed, 0 when the file is in place.
    int Commit(FolderFlush folder = FolderFlush::kNow, const FlushFunction& flush = {});

    // Whether a name in a folder is the temporary of a copy that a killed
    // run left behind.
    static bool IsTemporaryName(std::string_view name);

  private:
    std::string destination_;
    std::string temporary_;
    int fd_ = -1;
    int error_ = 0;
    bool created_ = false;
    bool committed_ = false;
};

// Flushes a folder so that the renames in it last; the errno, or 0.
int FlushFolder(const std::string& folder);

}  // namespace tramlet
