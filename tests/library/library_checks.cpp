#include "library_checks.h"

#include <libpq-fe.h>
#include <sqlite3.h>

#include <algorithm>
#include <filesystem>

#include "library/durable_copy.h"
#include "library/library_layout.h"
#include "support/postgres_server.h"
#include "support/run_command.h"

namespace tramlet::library::test {
namespace {

constexpr const char* kCommonQueries[] = {
    "SELECT 'card ' || c.card || ' ' || v.name FROM cards c JOIN vehicles v ON v.id = c.vehicle_id",
    "SELECT 'file ' || v.name || ' ' || f.path || ' ' || f.size || ' ' || f.sha256 "
    "FROM files f JOIN vehicles v ON v.id = f.vehicle_id",
    "SELECT 'source ' || v.name || ' ' || s.name || ' ' || s.size || ' ' || s.sha256 || ' ' || "
    "s.path FROM sources s JOIN vehicles v ON v.id = s.vehicle_id",
    "SELECT 'clip ' || v.name || ' ' || c.path || ' ' || c.start || ' ' || c.channel || ' ' || "
    "c.duration FROM clips c JOIN vehicles v ON v.id = c.vehicle_id",
    "SELECT 'fixes ' || v.name || ' ' || count(*) || ' ' || sum(f.t) "
    "FROM fixes f JOIN vehicles v ON v.id = f.vehicle_id GROUP BY v.name",
};

void SqliteRows(const std::string& path, std::vector<std::string>& rows) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        rows.push_back("cannot open " + path);
        sqlite3_close(db);
        return;
    }
    std::vector<const char*> queries(std::begin(kCommonQueries), std::end(kCommonQueries));
    // The R*Tree must hold one box per fix.
    queries.push_back(
        "SELECT 'boxes ' || (SELECT count(*) FROM fix_boxes) || ' ' || "
        "(SELECT count(*) FROM fixes)");
    for (const char* sql : queries) {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
        while (statement && sqlite3_step(statement) == SQLITE_ROW)
            rows.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
}

void PostgresRows(const std::string& address, std::vector<std::string>& rows) {
    PGconn* connection = PQconnectdb(address.c_str());
    for (const char* sql : kCommonQueries) {
        PGresult* result = PQexec(connection, sql);
        for (int row = 0; row < PQntuples(result); ++row)
            rows.emplace_back(PQgetvalue(result, row, 0));
        if (PQresultStatus(result) != PGRES_TUPLES_OK)
            rows.push_back(PQresultErrorMessage(result));
        PQclear(result);
    }
    PQfinish(connection);
}

}  // namespace

ToolRun RunLibrary(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {TRAMLET_LIBRARY_BIN};
    argv.insert(argv.end(), args.begin(), args.end());
    const tramlet::test::CommandResult result = tramlet::test::RunCommand(argv);
    ToolRun run{result.exitCode, result.out, result.err, {}};
    if (std::find(args.begin(), args.end(), "--json") != args.end())
        run.json = nlohmann::json::parse(result.out, nullptr, false);
    return run;
}

bool Simcard(const std::string& root, const std::vector<std::string>& args, std::string* error) {
    std::vector<std::string> argv = {TRAMLET_SIMCARD, "-q", "--size", "160x96"};
    argv.insert(argv.end(), args.begin(), args.end());
    argv.push_back(root);
    const tramlet::test::CommandResult result = tramlet::test::RunCommand(argv);
    *error = result.err;
    return result.exitCode == 0;
}

std::vector<std::string> TreeOf(const std::string& folder) {
    std::vector<std::string> tree;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, ignored)) {
        const std::string relative = std::filesystem::relative(entry.path(), folder).string();
        if (relative.starts_with("library.db"))
            continue;
        if (entry.is_directory()) {
            tree.push_back(relative + "/");
            continue;
        }
        const auto hash = HashFile(entry.path().string());
        tree.push_back(relative + " " + (hash ? *hash : hash.error().text));
    }
    std::sort(tree.begin(), tree.end());
    return tree;
}

std::vector<std::string> IndexRows(const std::string& library, const std::string& database) {
    std::vector<std::string> rows;
    if (database.empty())
        SqliteRows(DatabasePath(library), rows);
    else
        PostgresRows(database, rows);
    std::sort(rows.begin(), rows.end());
    return rows;
}

std::vector<std::string> RowsOf(const std::vector<std::string>& rows, const std::string& kind) {
    std::vector<std::string> found;
    for (const std::string& row : rows) {
        if (row.starts_with(kind + " "))
            found.push_back(row.substr(kind.size() + 1));
    }
    return found;
}

std::string NewPostgresDatabase(std::string* why) {
    static tramlet::test::PostgresServer server;
    static int made = 0;
    *why = server.Error();
    if (!why->empty())
        return {};
    const std::string name = "library" + std::to_string(++made);
    if (!server.CreateDatabase(name)) {
        *why = "cannot make the database " + name;
        return {};
    }
    return server.Address(name);
}

}  // namespace tramlet::library::test
