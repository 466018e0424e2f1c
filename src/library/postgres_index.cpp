#include "library/postgres_index.h"

#include <libpq-fe.h>

#include <algorithm>
#include <charconv>
#include <utility>

#include "library/search_box.h"

namespace tramlet::library {
namespace {

// Fixes go to the server in batches of this many, as arrays.
constexpr size_t kFixBatch = 20'000;
constexpr int kAttempts = 5;
// The one advisory lock under which tables are made: two first ingests at
// once must not both make them.
constexpr const char* kSchemaLock = "SELECT pg_advisory_xact_lock(7312650245)";

constexpr const char* kSchema = R"(
CREATE EXTENSION IF NOT EXISTS postgis;
CREATE TABLE IF NOT EXISTS vehicles(id serial PRIMARY KEY, name text NOT NULL UNIQUE);
CREATE TABLE IF NOT EXISTS cards(card text PRIMARY KEY,
  vehicle_id integer NOT NULL REFERENCES vehicles(id));
CREATE TABLE IF NOT EXISTS files(vehicle_id integer NOT NULL REFERENCES vehicles(id),
  path text NOT NULL, size bigint NOT NULL, sha256 text NOT NULL, PRIMARY KEY(vehicle_id, path));
CREATE TABLE IF NOT EXISTS sources(vehicle_id integer NOT NULL REFERENCES vehicles(id),
  name text NOT NULL, size bigint NOT NULL, sha256 text NOT NULL, path text NOT NULL,
  PRIMARY KEY(vehicle_id, name, size, sha256));
CREATE TABLE IF NOT EXISTS clips(vehicle_id integer NOT NULL REFERENCES vehicles(id),
  path text NOT NULL, start bigint NOT NULL, channel integer NOT NULL,
  duration integer NOT NULL, PRIMARY KEY(vehicle_id, path));
CREATE INDEX IF NOT EXISTS clips_by_start ON clips(vehicle_id, start);
CREATE TABLE IF NOT EXISTS fixes(vehicle_id integer NOT NULL REFERENCES vehicles(id),
  t bigint NOT NULL, position geography(Point, 4326) NOT NULL, PRIMARY KEY(vehicle_id, t));
CREATE INDEX IF NOT EXISTS fixes_position ON fixes USING gist(position);
)";

// A deadlock or a serialization failure: the transaction is run again.
class TransientFailure : public IndexError {
  public:
    using IndexError::IndexError;
};

std::string Number(double value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value);
    return std::string(text, end.ptr);
}

std::int64_t ToInt(const std::string& text) {
    std::int64_t value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

double ToReal(const std::string& text) {
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

void IgnoreNotice(void*, const char*) {}

}  // namespace

class PostgresIndex::Result {
  public:
    explicit Result(PGresult* result) : result_(result) {}
    ~Result() { PQclear(result_); }
    Result(Result&& other) noexcept : result_(std::exchange(other.result_, nullptr)) {}
    Result(const Result&) = delete;
    Result& operator=(const Result&) = delete;

    int Rows() const { return PQntuples(result_); }
    std::string Text(int row, int column) const {
        return std::string(PQgetvalue(result_, row, column),
                           static_cast<size_t>(PQgetlength(result_, row, column)));
    }
    std::int64_t Int(int row, int column) const { return ToInt(Text(row, column)); }
    double Real(int row, int column) const { return ToReal(Text(row, column)); }

  private:
    PGresult* result_;
};

PostgresIndex::PostgresIndex(const std::string& address)
    : connection_(PQconnectdb(address.c_str())) {
    if (PQstatus(connection_) != CONNECTION_OK) {
        const std::string why = connection_ ? PQerrorMessage(connection_) : "out of memory";
        PQfinish(connection_);
        throw IndexError("cannot connect to the PostgreSQL index: " + why);
    }
    // "already exists, skipping" and the like are no news to the user.
    PQsetNoticeProcessor(connection_, IgnoreNotice, nullptr);
    try {
        if (Query("SELECT to_regclass('fixes_position') IS NULL").Text(0, 0) == "t")
            Write([this] { CreateTables(); });
    } catch (...) {
        PQfinish(connection_);
        throw;
    }
}

PostgresIndex::~PostgresIndex() {
    PQfinish(connection_);
}

PostgresIndex::Result PostgresIndex::Query(const std::string& sql,
                                           const std::vector<std::string>& parameters) {
    std::vector<const char*> values;
    for (const std::string& p : parameters)
        values.push_back(p.c_str());
    PGresult* result = parameters.empty()
                           ? PQexec(connection_, sql.c_str())
                           : PQexecParams(connection_, sql.c_str(), static_cast<int>(values.size()),
                                          nullptr, values.data(), nullptr, nullptr, 0);
    const ExecStatusType status = PQresultStatus(result);
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK)
        return Result(result);
    const char* state = PQresultErrorField(result, PG_DIAG_SQLSTATE);
    const std::string code = state ? state : "";
    const std::string why = "PostgreSQL: " + std::string(result ? PQresultErrorMessage(result)
                                                                : PQerrorMessage(connection_));
    PQclear(result);
    if (code == "40001" || code == "40P01")
        throw TransientFailure(why);
    throw IndexError(why);
}

void PostgresIndex::CreateTables() {
    Query(kSchemaLock);
    Query(kSchema);
}

void PostgresIndex::Write(const std::function<void()>& work) {
    if (inTransaction_) {
        work();
        return;
    }
    for (int attempt = 1;; ++attempt) {
        inTransaction_ = true;
        try {
            Query("BEGIN");
            work();
            Query("COMMIT");
            inTransaction_ = false;
            return;
        } catch (const IndexError& failure) {
            PQclear(PQexec(connection_, "ROLLBACK"));
            inTransaction_ = false;
            vehicleIds_.clear();  // rows made in the transaction are gone
            if (dynamic_cast<const TransientFailure*>(&failure) == nullptr || attempt == kAttempts)
                throw;
        } catch (...) {
            PQclear(PQexec(connection_, "ROLLBACK"));
            inTransaction_ = false;
            vehicleIds_.clear();
            throw;
        }
    }
}

std::string PostgresIndex::VehicleId(const std::string& name) {
    if (const auto known = vehicleIds_.find(name); known != vehicleIds_.end())
        return known->second;
    Query("INSERT INTO vehicles(name) VALUES($1) ON CONFLICT (name) DO NOTHING", {name});
    return vehicleIds_[name] = Query("SELECT id FROM vehicles WHERE name = $1", {name}).Text(0, 0);
}

std::optional<std::string> PostgresIndex::RememberedVehicle(const std::string& card) {
    const Result result =
        Query("SELECT v.name FROM cards c JOIN vehicles v ON v.id = c.vehicle_id WHERE c.card = $1",
              {card});
    if (result.Rows() == 0)
        return std::nullopt;
    return result.Text(0, 0);
}

void PostgresIndex::RememberCard(const std::string& card, const std::string& vehicle) {
    Write([&] {
        Query(
            "INSERT INTO cards(card, vehicle_id) VALUES($1, $2) "
            "ON CONFLICT (card) DO UPDATE SET vehicle_id = excluded.vehicle_id",
            {card, VehicleId(vehicle)});
    });
}

std::optional<StoredFile> PostgresIndex::File(const std::string& vehicle, const std::string& path) {
    const Result result = Query(
        "SELECT f.size, f.sha256 FROM files f JOIN vehicles v ON v.id = f.vehicle_id "
        "WHERE v.name = $1 AND f.path = $2",
        {vehicle, path});
    if (result.Rows() == 0)
        return std::nullopt;
    return StoredFile{vehicle, path, static_cast<std::uint64_t>(result.Int(0, 0)),
                      result.Text(0, 1)};
}

std::vector<CardSource> PostgresIndex::Sources(const std::string& vehicle,
                                               const std::string& name) {
    const Result result = Query(
        "SELECT s.size, s.sha256, s.path FROM sources s JOIN vehicles v ON v.id = s.vehicle_id "
        "WHERE v.name = $1 AND s.name = $2",
        {vehicle, name});
    std::vector<CardSource> sources;
    for (int row = 0; row < result.Rows(); ++row) {
        sources.push_back({name, static_cast<std::uint64_t>(result.Int(row, 0)),
                           result.Text(row, 1), result.Text(row, 2)});
    }
    return sources;
}

void PostgresIndex::Record(const FileEntry& entry) {
    Write([&] {
        const std::string vehicle = VehicleId(entry.file.vehicle);
        Query(
            "INSERT INTO files(vehicle_id, path, size, sha256) VALUES($1, $2, $3, $4) "
            "ON CONFLICT (vehicle_id, path) DO UPDATE SET size = excluded.size, "
            "sha256 = excluded.sha256",
            {vehicle, entry.file.path, std::to_string(entry.file.size), entry.file.sha256});
        if (const auto& s = entry.source) {
            Query(
                "INSERT INTO sources(vehicle_id, name, size, sha256, path) "
                "VALUES($1, $2, $3, $4, $5) ON CONFLICT DO NOTHING",
                {vehicle, s->name, std::to_string(s->size), s->sha256, s->path});
        }
        if (const auto& c = entry.clip) {
            Query(
                "INSERT INTO clips(vehicle_id, path, start, channel, duration) "
                "VALUES($1, $2, $3, $4, $5) ON CONFLICT (vehicle_id, path) DO UPDATE SET "
                "start = excluded.start, channel = excluded.channel, "
                "duration = excluded.duration",
                {vehicle, c->path, std::to_string(c->start), std::to_string(c->channel),
                 std::to_string(c->duration)});
        }
        RecordFixes(vehicle, entry.fixes);
    });
}

// Each batch travels as three arrays, unnested into rows on the server.
void PostgresIndex::RecordFixes(const std::string& vehicleId, const std::vector<GpsFix>& fixes) {
    for (size_t begin = 0; begin < fixes.size(); begin += kFixBatch) {
        const size_t end = std::min(fixes.size(), begin + kFixBatch);
        std::string times = "{", latitudes = "{", longitudes = "{";
        for (size_t i = begin; i < end; ++i) {
            const char* comma = i + 1 < end ? "," : "}";
            times += std::to_string(fixes[i].t) + comma;
            latitudes += Number(fixes[i].latitude) + comma;
            longitudes += Number(fixes[i].longitude) + comma;
        }
        Query(
            "INSERT INTO fixes(vehicle_id, t, position) "
            "SELECT $1, u.t, ST_SetSRID(ST_MakePoint(u.lon, u.lat), 4326)::geography "
            "FROM unnest($2::bigint[], $3::float8[], $4::float8[]) AS u(t, lat, lon) "
            "ON CONFLICT (vehicle_id, t) DO UPDATE SET position = excluded.position "
            "WHERE ST_AsBinary(fixes.position) <> ST_AsBinary(excluded.position)",
            {vehicleId, times, latitudes, longitudes});
    }
}

void PostgresIndex::Exclusively(const std::string& key, const std::function<void()>& work) {
    Write([&] {
        Query("SELECT pg_advisory_xact_lock(hashtextextended($1, 0))", {key});
        work();
    });
}

std::vector<std::string> PostgresIndex::Vehicles() {
    const Result result = Query(
        "SELECT name FROM vehicles v WHERE EXISTS "
        "(SELECT 1 FROM files f WHERE f.vehicle_id = v.id) ORDER BY name COLLATE \"C\"");
    std::vector<std::string> names;
    for (int row = 0; row < result.Rows(); ++row)
        names.push_back(result.Text(row, 0));
    return names;
}

std::vector<StoredFile> PostgresIndex::Files() {
    const Result result = Query(
        "SELECT v.name, f.path, f.size, f.sha256 FROM files f "
        "JOIN vehicles v ON v.id = f.vehicle_id "
        "ORDER BY v.name COLLATE \"C\", f.path COLLATE \"C\"");
    std::vector<StoredFile> files;
    for (int row = 0; row < result.Rows(); ++row) {
        files.push_back({result.Text(row, 0), result.Text(row, 1),
                         static_cast<std::uint64_t>(result.Int(row, 2)), result.Text(row, 3)});
    }
    return files;
}

std::vector<ClipEntry> PostgresIndex::Clips(const std::optional<std::string>& vehicle,
                                            RecorderSeconds from, RecorderSeconds to) {
    std::vector<std::string> parameters = {std::to_string(from), std::to_string(to)};
    if (vehicle)
        parameters.push_back(*vehicle);
    const Result result =
        Query(std::string("SELECT v.name, c.path, c.start, c.channel, c.duration FROM clips c "
                          "JOIN vehicles v ON v.id = c.vehicle_id WHERE ") +
                  (vehicle ? "v.name = $3 AND " : "") +
                  "c.start <= $2 AND c.start > $1::bigint - 86400 "
                  "AND c.start + greatest(c.duration, 1) > $1 "
                  "ORDER BY v.name COLLATE \"C\", c.start, c.path COLLATE \"C\"",
              parameters);
    std::vector<ClipEntry> clips;
    for (int row = 0; row < result.Rows(); ++row) {
        clips.push_back({result.Text(row, 0), result.Text(row, 1), result.Int(row, 2),
                         static_cast<int>(result.Int(row, 3)),
                         static_cast<int>(result.Int(row, 4))});
    }
    return clips;
}

// The index finds the candidates as ST_DWithin would, with the condition it
// hands the index (_ST_Expand, internal to PostGIS by its name: should it go,
// the search fails with the server's error rather than finding less). The
// distances are measured here, as the SQLite index measures them: PostGIS's
// own distance functions cost each new connection a look-up of the
// coordinate system that takes about as long as the whole search.
std::vector<FixNear> PostgresIndex::FixesNear(double latitude, double longitude, double metres) {
    const Result result = Query(
        "SELECT v.name, f.t, ST_Y(f.position::geometry), ST_X(f.position::geometry) "
        "FROM fixes f JOIN vehicles v ON v.id = f.vehicle_id "
        "WHERE f.position && _ST_Expand(ST_SetSRID(ST_MakePoint($2, $1), 4326)::geography, $3)",
        {Number(latitude), Number(longitude), Number(metres)});
    std::vector<FixNear> near;
    for (int row = 0; row < result.Rows(); ++row) {
        const double distance =
            GreatCircleMetres(latitude, longitude, result.Real(row, 2), result.Real(row, 3));
        if (distance <= metres)
            near.push_back({result.Text(row, 0), result.Int(row, 1), distance});
    }
    return near;
}

std::optional<GpsFix> PostgresIndex::FirstFix(const std::string& vehicle, RecorderSeconds from,
                                              RecorderSeconds to) {
    const Result result = Query(
        "SELECT f.t, ST_Y(f.position::geometry), ST_X(f.position::geometry) FROM fixes f "
        "JOIN vehicles v ON v.id = f.vehicle_id "
        "WHERE v.name = $1 AND f.t >= $2 AND f.t <= $3 ORDER BY f.t LIMIT 1",
        {vehicle, std::to_string(from), std::to_string(to)});
    if (result.Rows() == 0)
        return std::nullopt;
    return GpsFix{result.Int(0, 0), result.Real(0, 1), result.Real(0, 2)};
}

std::int64_t PostgresIndex::FixCount(const std::string& vehicle, RecorderSeconds from,
                                     RecorderSeconds to) {
    return Query(
               "SELECT count(*) FROM fixes f JOIN vehicles v ON v.id = f.vehicle_id "
               "WHERE v.name = $1 AND f.t >= $2 AND f.t <= $3",
               {vehicle, std::to_string(from), std::to_string(to)})
        .Int(0, 0);
}

}  // namespace tramlet::library
