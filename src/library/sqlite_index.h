#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "library/library_index.h"

struct sqlite3;

namespace tramlet::library {

// The index in one SQLite file beside the vehicles, with the fixes in an
// R*Tree. Write-ahead logging lets find and verify read while an ingest
// writes; concurrent writers take turns (each write is one immediate
// transaction, and a busy database is waited for).
class SqliteIndex final : public LibraryIndex {
  public:
    // Throws IndexError when the file cannot be opened (or, without
    // `create`, does not exist).
    SqliteIndex(const std::string& path, bool create);
    ~SqliteIndex() override;
    SqliteIndex(const SqliteIndex&) = delete;
    SqliteIndex& operator=(const SqliteIndex&) = delete;

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
    class Statement;

    void Execute(const char* sql);
    bool TablesMade();
    void CreateTables();
    void Write(const std::function<void()>& work);
    // The vehicle's row id, made when `create`; 0 for a vehicle not indexed.
    std::int64_t VehicleId(const std::string& name, bool create);
    void RecordFixes(std::int64_t vehicleId, const std::vector<GpsFix>& fixes);

    sqlite3* db_ = nullptr;
    bool inTransaction_ = false;
    std::map<std::string, std::int64_t> vehicleIds_;
};

}  // namespace tramlet::library
