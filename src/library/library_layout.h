#pragma once

#include <optional>
#include <string>
#include <string_view>

// Where a library keeps things. A library is a folder with one folder per
// vehicle, laid out as a card is (video/, gps/), so that every part of the
// program opens LIBRARY/VEHICLE as a data root unchanged; beside them the
// index, library.db, unless the index lives in PostgreSQL. Paths of files in
// the index are relative to their vehicle's folder: "video/NAME", "gps/NAME",
// "conflicts/HASH/video/NAME".
namespace tramlet::library {

// The library folder as given, with one '/' at its end.
std::string LibraryFolder(std::string_view library);
std::string DatabasePath(std::string_view library);
// LIBRARY/VEHICLE/, a data root.
std::string VehicleRoot(std::string_view library, std::string_view vehicle);

// Where a file whose name is taken by other bytes is kept instead: below a
// folder named by the start of its own hash, so that every version of a name
// has a place, the same one in every run, and each such folder is a data
// root of its own.
std::string ConflictPath(std::string_view relativePath, std::string_view sha256);

// Why `name` cannot name a vehicle's folder, or nothing when it can: it must
// not be empty, hold a '/', begin with a '.' (the library's own working
// folders do) or with "library.db" (the index's files).
std::optional<std::string> VehicleNameProblem(std::string_view name);

}  // namespace tramlet::library
