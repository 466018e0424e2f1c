#include "library/sqlite_index.h"

#include <sqlite3.h>

#include "library/search_box.h"

namespace tramlet::library {
namespace {

// A busy database is waited for this long: other ingests hold it only for
// one file's rows at a time.
constexpr int kBusyTimeoutMs = 300'000;

constexpr const char* kSchema = R"(
CREATE TABLE IF NOT EXISTS vehicles(id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE);
CREATE TABLE IF NOT EXISTS cards(card TEXT PRIMARY KEY,
  vehicle_id INTEGER NOT NULL REFERENCES vehicles(id));
CREATE TABLE IF NOT EXISTS files(vehicle_id INTEGER NOT NULL REFERENCES vehicles(id),
  path TEXT NOT NULL, size INTEGER NOT NULL, sha256 TEXT NOT NULL, PRIMARY KEY(vehicle_id, path));
CREATE TABLE IF NOT EXISTS sources(vehicle_id INTEGER NOT NULL REFERENCES vehicles(id),
  name TEXT NOT NULL, size INTEGER NOT NULL, sha256 TEXT NOT NULL, path TEXT NOT NULL,
  PRIMARY KEY(vehicle_id, name, size, sha256));
CREATE TABLE IF NOT EXISTS clips(vehicle_id INTEGER NOT NULL REFERENCES vehicles(id),
  path TEXT NOT NULL, start INTEGER NOT NULL, channel INTEGER NOT NULL,
  duration INTEGER NOT NULL, PRIMARY KEY(vehicle_id, path));
CREATE INDEX IF NOT EXISTS clips_by_start ON clips(vehicle_id, start);
CREATE TABLE IF NOT EXISTS fixes(id INTEGER PRIMARY KEY,
  vehicle_id INTEGER NOT NULL REFERENCES vehicles(id), t INTEGER NOT NULL,
  lat REAL NOT NULL, lon REAL NOT NULL, UNIQUE(vehicle_id, t));
CREATE VIRTUAL TABLE IF NOT EXISTS fix_boxes USING rtree(id, min_lat, max_lat, min_lon, max_lon);
CREATE TRIGGER IF NOT EXISTS fix_boxed AFTER INSERT ON fixes BEGIN
  INSERT INTO fix_boxes VALUES(new.id, new.lat, new.lat, new.lon, new.lon); END;
CREATE TRIGGER IF NOT EXISTS fix_moved AFTER UPDATE OF lat, lon ON fixes BEGIN
  UPDATE fix_boxes SET min_lat = new.lat, max_lat = new.lat, min_lon = new.lon,
    max_lon = new.lon WHERE id = new.id; END;
)";

}  // namespace

class SqliteIndex::Statement {
  public:
    Statement(sqlite3* db, const char* sql) : db_(db) {
        if (sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr) != SQLITE_OK)
            throw IndexError(std::string("SQLite: ") + sqlite3_errmsg(db));
    }
    ~Statement() { sqlite3_finalize(statement_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Binds the values to ?1, ?2, ... in order.
    template <typename... Values>
    Statement& With(const Values&... values) {
        sqlite3_reset(statement_);
        int index = 0;
        (Bind(++index, values), ...);
        return *this;
    }
    // True while there is a row to read.
    bool Step() {
        const int result = sqlite3_step(statement_);
        if (result != SQLITE_ROW && result != SQLITE_DONE)
            throw IndexError(std::string("SQLite: ") + sqlite3_errmsg(db_));
        return result == SQLITE_ROW;
    }
    std::int64_t Int(int column) const { return sqlite3_column_int64(statement_, column); }
    double Real(int column) const { return sqlite3_column_double(statement_, column); }
    std::string Text(int column) const {
        const auto* text = sqlite3_column_text(statement_, column);
        return text ? std::string(reinterpret_cast<const char*>(text),
                                  static_cast<size_t>(sqlite3_column_bytes(statement_, column)))
                    : std::string();
    }

  private:
    void Bind(int index, std::int64_t value) { sqlite3_bind_int64(statement_, index, value); }
    void Bind(int index, int value) { sqlite3_bind_int64(statement_, index, value); }
    void Bind(int index, std::uint64_t value) {
        sqlite3_bind_int64(statement_, index, static_cast<std::int64_t>(value));
    }
    void Bind(int index, double value) { sqlite3_bind_double(statement_, index, value); }
    void Bind(int index, const std::string& value) {
        sqlite3_bind_text(statement_, index, value.data(), static_cast<int>(value.size()),
                          SQLITE_TRANSIENT);
    }

    sqlite3* db_;
    sqlite3_stmt* statement_ = nullptr;
};

SqliteIndex::SqliteIndex(const std::string& path, bool create) {
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
    if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
        const std::string why = db_ ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        throw IndexError("cannot open the index " + path + ": " + why);
    }
    sqlite3_busy_timeout(db_, kBusyTimeoutMs);
    try {
        // Write-ahead logging lets find and verify read while an ingest
        // writes. Commits are not flushed one by one: a power cut may take
        // the last rows back, but never a file they name, since each file
        // and its folder are flushed before its row is written; the next
        // ingest finds such files by their bytes and enters them again.
        Execute("PRAGMA journal_mode=WAL");
        Execute("PRAGMA synchronous=NORMAL");
        if (!TablesMade())
            Write([this] { CreateTables(); });
    } catch (...) {
        sqlite3_close(db_);
        throw;
    }
}

SqliteIndex::~SqliteIndex() {
    sqlite3_close(db_);
}

void SqliteIndex::Execute(const char* sql) {
    char* error = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string why = error ? error : sqlite3_errmsg(db_);
        sqlite3_free(error);
        throw IndexError("SQLite: " + why);
    }
}

bool SqliteIndex::TablesMade() {
    return Statement(db_, "SELECT 1 FROM sqlite_master WHERE name = 'fix_moved'").With().Step();
}

void SqliteIndex::CreateTables() {
    Execute(kSchema);
}

void SqliteIndex::Write(const std::function<void()>& work) {
    if (inTransaction_) {
        work();
        return;
    }
    Execute("BEGIN IMMEDIATE");
    inTransaction_ = true;
    try {
        work();
        Execute("COMMIT");
        inTransaction_ = false;
    } catch (...) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        inTransaction_ = false;
        vehicleIds_.clear();  // rows made in the transaction are gone
        throw;
    }
}

std::int64_t SqliteIndex::VehicleId(const std::string& name, bool create) {
    if (const auto known = vehicleIds_.find(name); known != vehicleIds_.end())
        return known->second;
    if (create) {
        Statement(db_, "INSERT INTO vehicles(name) VALUES(?1) ON CONFLICT(name) DO NOTHING")
            .With(name)
            .Step();
    }
    Statement select(db_, "SELECT id FROM vehicles WHERE name = ?1");
    if (!select.With(name).Step())
        return 0;
    return vehicleIds_[name] = select.Int(0);
}

std::optional<std::string> SqliteIndex::RememberedVehicle(const std::string& card) {
    Statement select(db_,
                     "SELECT v.name FROM cards c JOIN vehicles v ON v.id = c.vehicle_id "
                     "WHERE c.card = ?1");
    if (!select.With(card).Step())
        return std::nullopt;
    return select.Text(0);
}

void SqliteIndex::RememberCard(const std::string& card, const std::string& vehicle) {
    Write([&] {
        Statement(db_,
                  "INSERT INTO cards(card, vehicle_id) VALUES(?1, ?2) "
                  "ON CONFLICT(card) DO UPDATE SET vehicle_id = excluded.vehicle_id")
            .With(card, VehicleId(vehicle, true))
            .Step();
    });
}

std::optional<StoredFile> SqliteIndex::File(const std::string& vehicle, const std::string& path) {
    Statement select(db_,
                     "SELECT f.size, f.sha256 FROM files f JOIN vehicles v ON v.id = f.vehicle_id "
                     "WHERE v.name = ?1 AND f.path = ?2");
    if (!select.With(vehicle, path).Step())
        return std::nullopt;
    return StoredFile{vehicle, path, static_cast<std::uint64_t>(select.Int(0)), select.Text(1)};
}

std::vector<CardSource> SqliteIndex::Sources(const std::string& vehicle, const std::string& name) {
    Statement select(db_,
                     "SELECT s.size, s.sha256, s.path FROM sources s "
                     "JOIN vehicles v ON v.id = s.vehicle_id WHERE v.name = ?1 AND s.name = ?2");
    std::vector<CardSource> sources;
    for (select.With(vehicle, name); select.Step();) {
        sources.push_back(
            {name, static_cast<std::uint64_t>(select.Int(0)), select.Text(1), select.Text(2)});
    }
    return sources;
}

void SqliteIndex::Record(const FileEntry& entry) {
    Write([&] {
        const std::int64_t vehicle = VehicleId(entry.file.vehicle, true);
        Statement(db_,
                  "INSERT INTO files(vehicle_id, path, size, sha256) VALUES(?1, ?2, ?3, ?4) "
                  "ON CONFLICT(vehicle_id, path) DO UPDATE SET size = excluded.size, "
                  "sha256 = excluded.sha256")
            .With(vehicle, entry.file.path, entry.file.size, entry.file.sha256)
            .Step();
        if (const auto& s = entry.source) {
            Statement(db_,
                      "INSERT INTO sources(vehicle_id, name, size, sha256, path) "
                      "VALUES(?1, ?2, ?3, ?4, ?5) ON CONFLICT DO NOTHING")
                .With(vehicle, s->name, s->size, s->sha256, s->path)
                .Step();
        }
        if (const auto& c = entry.clip) {
            Statement(db_,
                      "INSERT INTO clips(vehicle_id, path, start, channel, duration) "
                      "VALUES(?1, ?2, ?3, ?4, ?5) ON CONFLICT(vehicle_id, path) DO UPDATE SET "
                      "start = excluded.start, channel = excluded.channel, "
                      "duration = excluded.duration")
                .With(vehicle, c->path, c->start, c->channel, c->duration)
                .Step();
        }
        RecordFixes(vehicle, entry.fixes);
    });
}

void SqliteIndex::RecordFixes(std::int64_t vehicleId, const std::vector<GpsFix>& fixes) {
    Statement upsert(db_,
                     "INSERT INTO fixes(vehicle_id, t, lat, lon) VALUES(?1, ?2, ?3, ?4) "
                     "ON CONFLICT(vehicle_id, t) DO UPDATE SET lat = excluded.lat, "
                     "lon = excluded.lon WHERE lat <> excluded.lat OR lon <> excluded.lon");
    for (const GpsFix& fix : fixes)
        upsert.With(vehicleId, fix.t, fix.latitude, fix.longitude).Step();
}

void SqliteIndex::Exclusively(const std::string&, const std::function<void()>& work) {
    // An immediate transaction already keeps every other writer out.
    Write(work);
}

std::vector<std::string> SqliteIndex::Vehicles() {
    Statement select(db_,
                     "SELECT name FROM vehicles v WHERE EXISTS "
                     "(SELECT 1 FROM files f WHERE f.vehicle_id = v.id) ORDER BY name");
    std::vector<std::string> names;
    for (select.With(); select.Step();)
        names.push_back(select.Text(0));
    return names;
}

std::vector<StoredFile> SqliteIndex::Files() {
    Statement select(db_,
                     "SELECT v.name, f.path, f.size, f.sha256 FROM files f "
                     "JOIN vehicles v ON v.id = f.vehicle_id ORDER BY v.name, f.path");
    std::vector<StoredFile> files;
    for (select.With(); select.Step();) {
        files.push_back({select.Text(0), select.Text(1), static_cast<std::uint64_t>(select.Int(2)),
                         select.Text(3)});
    }
    return files;
}

std::vector<ClipEntry> SqliteIndex::Clips(const std::optional<std::string>& vehicle,
                                          RecorderSeconds from, RecorderSeconds to) {
    const std::string sql =
        std::string(
            "SELECT v.name, c.path, c.start, c.channel, c.duration FROM clips c "
            "JOIN vehicles v ON v.id = c.vehicle_id WHERE ") +
        (vehicle ? "v.name = ?3 AND " : "") +
        "c.start <= ?2 AND c.start > ?1 - 86400 AND c.start + max(c.duration, 1) > ?1 "
        "ORDER BY v.name, c.start, c.path";
    Statement select(db_, sql.c_str());
    if (vehicle)
        select.With(from, to, *vehicle);
    else
        select.With(from, to);
    std::vector<ClipEntry> clips;
    while (select.Step()) {
        clips.push_back({select.Text(0), select.Text(1), select.Int(2),
                         static_cast<int>(select.Int(3)), static_cast<int>(select.Int(4))});
    }
    return clips;
}

std::vector<FixNear> SqliteIndex::FixesNear(double latitude, double longitude, double metres) {
    Statement select(db_,
                     "SELECT v.name, f.t, f.lat, f.lon FROM fix_boxes b "
                     "JOIN fixes f ON f.id = b.id JOIN vehicles v ON v.id = f.vehicle_id "
                     "WHERE b.max_lat >= ?1 AND b.min_lat <= ?2 "
                     "AND b.max_lon >= ?3 AND b.min_lon <= ?4");
    std::vector<FixNear> near;
    const SearchBox box = BoxAround(latitude, longitude, metres);
    for (const LongitudeRange& range : box.longitudes) {
        for (select.With(box.south, box.north, range.west, range.east); select.Step();) {
            const double distance =
                GreatCircleMetres(latitude, longitude, select.Real(2), select.Real(3));
            if (distance <= metres)
                near.push_back({select.Text(0), select.Int(1), distance});
        }
    }
    return near;
}

std::optional<GpsFix> SqliteIndex::FirstFix(const std::string& vehicle, RecorderSeconds from,
                                            RecorderSeconds to) {
    Statement select(db_,
                     "SELECT t, lat, lon FROM fixes WHERE vehicle_id = ?1 AND t >= ?2 "
                     "AND t <= ?3 ORDER BY t LIMIT 1");
    if (!select.With(VehicleId(vehicle, false), from, to).Step())
        return std::nullopt;
    return GpsFix{select.Int(0), select.Real(1), select.Real(2)};
}

std::int64_t SqliteIndex::FixCount(const std::string& vehicle, RecorderSeconds from,
                                   RecorderSeconds to) {
    Statement select(db_,
                     "SELECT count(*) FROM fixes WHERE vehicle_id = ?1 AND t >= ?2 AND t <= ?3");
    select.With(VehicleId(vehicle, false), from, to).Step();
    return select.Int(0);
}

}  // namespace tramlet::library
