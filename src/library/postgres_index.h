#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "library/library_index.h"

struct pg_conn;

namespace tramlet::library {

// The index in PostgreSQL, for a fleet whose workstations ingest into one
// shared folder at once: fixes as PostGIS geography points under a GiST
// index. Unique keys and ON CONFLICT keep every row once however many
// ingests of the same files run together; a transaction that meets a
// deadlock or a serialization failure is run again.
class PostgresIndex final : public LibraryIndex {
  public:
    // `address`: a libpq connection string or postgresql:// URI. Throws
    // IndexError when the server cannot be reached or PostGIS is missing.
    explicit PostgresIndex(const std::string& address);
    ~PostgresIndex() override;
    PostgresIndex(const PostgresIndex&) = delete;
    PostgresIndex& operator=(const PostgresIndex&) = delete;

    std::optional<std::string> RememberedVehicle(const std::string& card) override;
    void RememberCard(const std::string& card, const std::string& vehicle) override;
    std::optional<StoredFile> File(const std::string& vehicle, const std::string& path) override;
    std::vector<CardSource> Sources(const std::string& vehicle, const std::string& name) override;
    void Record(const FileEntry& entry) override;
    void Exclusively(const std::string& key, const std::function<void()>& work) override;
    std::vector<std::string> Vehicles() override;
    std::vector<StoredFile> Files() override;
    std::vector<ClipEntry> Clips(const std::optional<std::string>& vehicle, RecorderSeconds from,
                                 RecorderSeconds to) override;
    std::vector<FixNear> FixesNear(double latitude, double longitude, double metres) override;
    std::optional<GpsFix> FirstFix(const std::string& vehicle, RecorderSeconds from,
                                   RecorderSeconds to) override;
    std::int64_t FixCount(const std::string& vehicle, RecorderSeconds from,
                          RecorderSeconds to) override;

  private:
    class Result;

    Result Query(const std::string& sql, const std::vector<std::string>& parameters = {});
    void CreateTables();
    void Write(const std::function<void()>& work);
    std::string VehicleId(const std::string& name);
    void RecordFixes(const std::string& vehicleId, const std::vector<GpsFix>& fixes);

    pg_conn* connection_ = nullptr;
    bool inTransaction_ = false;
    std::map<std::string, std::string> vehicleIds_;
};

}  // namespace tramlet::library
