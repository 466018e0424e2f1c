#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "library/recorder_time.h"

namespace tramlet::library {

// A file of the library as the index knows it. `path` is relative to the
// vehicle's folder (library_layout.h).
struct StoredFile {
    std::string vehicle;
    std::string path;
    std::uint64_t size = 0;
    std::string sha256;  // lower-case hex
};

// A file as it was on a card, "video/NAME" or "gps/NAME" with its size and
// hash, and where the library keeps it. A clip the recorder left unfinished
// is kept under its repaired name, and a file whose name was taken under
// conflicts/: this is how a later ingest of the same card knows it.
struct CardSource {
    std::string name;
    std::uint64_t size = 0;
    std::string sha256;
    std::string path;  // in the library, relative to the vehicle's folder
};

struct ClipEntry {
    std::string vehicle;
    std::string path;  // "video/NAME"
    RecorderSeconds start = 0;
    int channel = 0;
    int duration = 0;  // seconds; 0 for a clip too short to be named with one
};

struct GpsFix {
    RecorderSeconds t = 0;
    double latitude = 0;
    double longitude = 0;
};

struct FixNear {
    std::string vehicle;
    RecorderSeconds t = 0;
    double metres = 0;
};

// What one ingested file adds to the index. It is written in one
// transaction, after the file itself is in place and flushed, so that the
// index never names a file that a crash could take back.
struct FileEntry {
    StoredFile file;
    std::optional<CardSource> source;
    std::optional<ClipEntry> clip;
    std::vector<GpsFix> fixes;  // of a day's GPS log, added or updated by second
};

// A failure of the database: it cannot be opened, reached or written.
class IndexError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The library's index: SQLite in LIBRARY/library.db by default, or
// PostgreSQL with PostGIS for a fleet whose workstations ingest into one
// shared folder at once. Every row has a unique key, and writes are
// transactions, so that concurrent ingests of the same files leave each row
// once. Errors throw IndexError. One object serves one thread at a time.
class LibraryIndex {
  public:
    virtual ~LibraryIndex() = default;

    // The vehicle a card was last ingested for, by its identity.
    virtual std::optional<std::string> RememberedVehicle(const std::string& card) = 0;
    virtual void RememberCard(const std::string& card, const std::string& vehicle) = 0;

    virtual std::optional<StoredFile> File(const std::string& vehicle, const std::string& path) = 0;
    // Every card file of that name ingested for the vehicle, of any size and hash.
    virtual std::vector<CardSource> Sources(const std::string& vehicle,
                                            const std::string& name) = 0;
    // Adds or updates the file's row, its source, clip and fixes, in one
    // transaction (or in the one Exclusively runs).
    virtual void Record(const FileEntry& entry) = 0;
    // Runs `work` inside one transaction that no other writer of the same
    // key runs at the same time, in this process or another. `work` may
    // call Record. Used where a file is replaced in place: a day's GPS log
    // that grew.
    virtual void Exclusively(const std::string& key, const std::function<void()>& work) = 0;

    virtual std::vector<std::string> Vehicles() = 0;
    virtual std::vector<StoredFile> Files() = 0;
    // Clips that run within [from, to], of one vehicle or all, in order of
    // vehicle, start and path. Clips are taken to be shorter than a day.
    virtual std::vector<ClipEntry> Clips(const std::optional<std::string>& vehicle,
                                         RecorderSeconds from, RecorderSeconds to) = 0;
    // Every fix within `metres` of the point (great-circle distance on the
    // mean earth sphere), in no particular order.
    virtual std::vector<FixNear> FixesNear(double latitude, double longitude, double metres) = 0;
    // The first fix of the vehicle within [from, to], and how many there are.
    virtual std::optional<GpsFix> FirstFix(const std::string& vehicle, RecorderSeconds from,
                                           RecorderSeconds to) = 0;
    virtual std::int64_t FixCount(const std::string& vehicle, RecorderSeconds from,
                                  RecorderSeconds to) = 0;
};

// Opens the index of a library: `database` empty for SQLite in
// LIBRARY/library.db (made when `create`), or a postgresql:// address. The
// tables are made on first use.
std::unique_ptr<LibraryIndex> OpenLibraryIndex(const std::string& library,
                                               const std::string& database, bool create);

}  // namespace tramlet::library
