#include "library/file_placer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "avifix/clip_io.h"
#include "common/path_text.h"
#include "library/durable_copy.h"
#include "library/library_layout.h"

namespace tramlet::library {
namespace {

std::optional<std::uint64_t> SizeOf(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return static_cast<std::uint64_t>(st.st_size);
}

Placement Failed(std::string error) {
    return {Placement::kFailed, {}, std::move(error)};
}

}  // namespace

FilePlacer::FilePlacer(LibraryIndex& index, std::string vehicle, std::string vehicleRoot)
    : index_(index), vehicle_(std::move(vehicle)), vehicleRoot_(std::move(vehicleRoot)) {}

Placement FilePlacer::PlaceIfFree(const std::string& staged, const std::string& path) {
    const std::string target = vehicleRoot_ + path;
    std::string error;
    switch (avifix::PosixFileSystem().RenameNoReplace(staged, target, &error)) {
        case avifix::RenameStatus::Done:
            if (!SyncFolder(FolderOf(target)))
                return Failed("cannot flush " + FolderOf(target) + ": " + std::strerror(errno));
            return {Placement::kPlaced, path, {}};
        case avifix::RenameStatus::TargetExists:
            return {Placement::kIdentical, path, {}};
        case avifix::RenameStatus::Failed:
            break;
    }
    return Failed("cannot put " + path + " in place: " + error);
}

Placement FilePlacer::Place(const std::string& staged, const std::string& path,
                            const std::string& sha256) {
    const Placement placed = PlaceIfFree(staged, path);
    if (placed.kind != Placement::kIdentical)
        return placed;
    if (HashOf(path) == sha256) {
        ::unlink(staged.c_str());
        return placed;
    }
    return KeepAsConflict(staged, path, sha256);
}

Placement FilePlacer::KeepAsConflict(const std::string& staged, const std::string& path,
                                     const std::string& sha256) {
    const std::string conflict = ConflictPath(path, sha256);
    std::string error;
    if (!MakeFolders(vehicleRoot_, FolderOf(conflict), error))
        return Failed(error);
    Placement placed = PlaceIfFree(staged, conflict);
    if (placed.kind == Placement::kIdentical) {
        // Named by its own hash: an earlier run kept these very bytes.
        ::unlink(staged.c_str());
    }
    if (placed.kind != Placement::kFailed)
        placed.kind = Placement::kConflict;
    return placed;
}

Placement FilePlacer::Replace(const std::string& staged, const std::string& path) {
    const std::string target = vehicleRoot_ + path;
    if (std::rename(staged.c_str(), target.c_str()) != 0)
        return Failed("cannot replace " + path + ": " + std::strerror(errno));
    if (!SyncFolder(FolderOf(target)))
        return Failed("cannot flush " + FolderOf(target) + ": " + std::strerror(errno));
    return {Placement::kPlaced, path, {}};
}

std::string FilePlacer::HashOf(const std::string& path) {
    const std::optional<std::uint64_t> size = SizeOf(vehicleRoot_ + path);
    if (!size)
        return {};
    if (const auto stored = index_.File(vehicle_, path); stored && stored->size == *size)
        return stored->sha256;
    return HashFile(vehicleRoot_ + path).value_or("");
}

bool FilePlacer::Holds(const std::string& path) {
    const std::optional<std::uint64_t> size = SizeOf(vehicleRoot_ + path);
    const auto stored = index_.File(vehicle_, path);
    return size && stored && stored->size == *size;
}

}  // namespace tramlet::library
