#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "backup/file_hash.h"

namespace tramlet::library {

struct CopyOutcome {
    bool ok = false;
    bool cancelled = false;
    std::uint64_t size = 0;
    std::string sha256;  // of what was read, which the new file was found to hold
    std::string error;   // why not, when neither ok nor cancelled
};

// Copies files so that a copy either holds exactly what was read or is not
// kept. The bytes read are hashed on another thread while they are written;
// each block is read back from the new file and compared with what was read,
// and the new file is flushed to disk and kept only when every block agrees.
// Nothing is ever written over: the new file must not exist.
class DurableCopier {
  public:
    DurableCopier();
    ~DurableCopier();
    DurableCopier(const DurableCopier&) = delete;
    DurableCopier& operator=(const DurableCopier&) = delete;

    // `progress` gets the size of each block copied; `cancel` is looked at
    // between blocks. On any outcome but ok the new file is removed.
    CopyOutcome Copy(int sourceFd, const std::string& target, const ByteProgress& progress,
                     const std::atomic<bool>* cancel);
    // The same for bytes in memory.
    CopyOutcome Write(std::string_view bytes, const std::string& target);

  private:
    struct Pipeline;
    std::unique_ptr<Pipeline> pipeline_;
};

// Makes the entries of a folder (a rename into it) durable; false with
// errno set when the flush fails.
bool SyncFolder(const std::string& folder);

// Makes each missing folder of `relative` below `base` (which ends in '/')
// and flushes the folder it was made in, so that a file renamed into it
// cannot be lost with it. False with `error` set on failure.
bool MakeFolders(const std::string& base, const std::string& relative, std::string& error);

}  // namespace tramlet::library
