#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/folder_id.h"

// The file I/O of the repair, behind two small interfaces so that the tests
// can put a power-cut layer or in-memory files in its place and the fuzzer can
// run the whole pass without touching a disk.
namespace tramlet::avifix {

// One clip opened for update ("r+b": read and write, no truncation, no
// creation). Offsets are 64-bit throughout.
class ClipFile {
  public:
    virtual ~ClipFile() = default;
    virtual bool Size(uint64_t& size) = 0;
    // Reads up to n bytes at offset. Returns the bytes read, fewer than n only
    // at the end of the file, or -1 on an error.
    virtual int64_t ReadAt(uint64_t offset, void* buffer, size_t n) = 0;
    // Writes n bytes at offset <= size. A power cut during the call may leave
    // any prefix of them written.
    virtual bool WriteAt(uint64_t offset, const void* data, size_t n) = 0;
    // Writes n bytes lying inside one aligned 512-byte sector, which storage
    // applies whole or not at all. The repair finishes a clip with one such
    // write (the RIFF size and dwRate); everything else is ordered by Sync.
    virtual bool WriteSectorAt(uint64_t offset, const void* data, size_t n) = 0;
    // Makes everything written so far durable (fsync).
    virtual bool Sync() = 0;
    // Text of the last failure, for reports.
    virtual std::string LastError() const = 0;
};

enum class RenameStatus { Done, TargetExists, Failed };

class ClipFileSystem {
  public:
    virtual ~ClipFileSystem() = default;
    // Names (without folder) matching "folder/pattern", as tramlet::FindFiles.
    virtual std::vector<std::string> FindFiles(const std::string& pathPattern) = 0;
    // Opens a regular file for update, never through a symlink; on failure
    // returns null and sets error.
    virtual std::unique_ptr<ClipFile> OpenForUpdate(const std::string& path,
                                                    std::string* error) = 0;
    virtual bool Exists(const std::string& path) = 0;
    // The size of what the path names, without following a symlink; nothing
    // when it names nothing.
    virtual std::optional<uint64_t> SizeOf(const std::string& path) = 0;
    // Renames without ever replacing an existing file: a clash keeps both.
    virtual RenameStatus RenameNoReplace(const std::string& from, const std::string& to,
                                         std::string* error) = 0;
    // Makes a rename in the folder durable (fsync of the folder); best effort.
    virtual void SyncDirectory(const std::string& folder) = 0;
    // The folder's identity now; nothing when it cannot be reached.
    virtual std::optional<FolderId> IdentifyFolder(const std::string& folder) = 0;
};

// The real file system: open(2)/pread/pwrite/fsync, and renames by
// renameat2(RENAME_NOREPLACE), falling back to link + unlink where the file
// system does not support it, and to a checked rename(2) where it supports
// neither (FUSE exFAT). A clash with a second name of the same file (left by
// an interrupted link + unlink) completes that rename instead, but only when
// the folder lists both names and they differ in more than letter case: on
// FAT and exFAT the two spellings of one name are one file, and its only name.
ClipFileSystem& PosixFileSystem();

// The link + unlink fallback on its own, for tests.
RenameStatus RenameByLink(const std::string& from, const std::string& to, std::string* error);

}  // namespace tramlet::avifix
