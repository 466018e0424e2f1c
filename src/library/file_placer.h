#pragma once

#include <string>

#include "library/library_index.h"

namespace tramlet::library {

struct Placement {
    enum Kind { kPlaced, kIdentical, kConflict, kFailed } kind = kFailed;
    std::string path;   // where the bytes are kept, relative to the vehicle's folder
    std::string error;  // when failed
};

// Puts checked files from a staging folder in place in a vehicle's folder.
// A rename never replaces a file: when the name is taken, the bytes there
// are compared (by the index's hash, or by hashing the file when the index
// does not know it); the same bytes make the staged copy redundant, other
// bytes send it to conflicts/. Every rename is made durable by flushing its
// folder before the caller enters it in the index.
class FilePlacer {
  public:
    FilePlacer(LibraryIndex& index, std::string vehicle, std::string vehicleRoot);

    // Renames `staged` to `path` unless that name is taken, or keeps it
    // under conflicts/ when the name holds other bytes.
    Placement Place(const std::string& staged, const std::string& path, const std::string& sha256);
    // Renames `staged` to `path` only if that name is free: kPlaced, or
    // kIdentical with nothing done when the name is taken, or kFailed.
    Placement PlaceIfFree(const std::string& staged, const std::string& path);
    // Keeps `staged` under conflicts/, in a folder named by its hash.
    Placement KeepAsConflict(const std::string& staged, const std::string& path,
                             const std::string& sha256);
    // Replaces the file at `path` with `staged` (a day's log that grew).
    Placement Replace(const std::string& staged, const std::string& path);

    // The hash of the file kept at `path`: the index's, while the file has
    // the size the index gives; else read from the file. Empty when absent.
    std::string HashOf(const std::string& path);
    // Whether the file at `path` is there with the size the index gives.
    bool Holds(const std::string& path);

    const std::string& VehicleRoot() const { return vehicleRoot_; }

  private:
    LibraryIndex& index_;
    std::string vehicle_;
    std::string vehicleRoot_;  // ends in '/'
};

}  // namespace tramlet::library
