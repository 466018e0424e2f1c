#include "library/library_index.h"

#include <filesystem>

#include "library/library_layout.h"
#include "library/postgres_index.h"
#include "library/sqlite_index.h"

namespace tramlet::library {

std::unique_ptr<LibraryIndex> OpenLibraryIndex(const std::string& library,
                                               const std::string& database, bool create) {
    if (database.empty()) {
        const std::string path = DatabasePath(library);
        std::error_code error;
        if (!create && !std::filesystem::exists(path, error))
            throw IndexError("no library index at " + path);
        return std::make_unique<SqliteIndex>(path, create);
    }
    if (database.starts_with("postgresql://") || database.starts_with("postgres://"))
        return std::make_unique<PostgresIndex>(database);
    throw IndexError("the database must be a postgresql:// address");
}

}  // namespace tramlet::library
