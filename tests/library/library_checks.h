#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace tramlet::library::test {

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
    nlohmann::json json;  // stdout read as JSON, when it is
};

ToolRun RunLibrary(const std::vector<std::string>& args);

// Writes recordings onto a simulator card below `root`; false with the
// simulator's complaint in `error` when it fails.
bool Simcard(const std::string& root, const std::vector<std::string>& args, std::string* error);

// Every folder ("PATH/") and file ("PATH SHA256") below `folder`, but the
// index's own files, in order.
std::vector<std::string> TreeOf(const std::string& folder);

// The index's rows, one line each in order, vehicles by name: the same
// lines from SQLite (`database` empty: LIBRARY/library.db) and PostgreSQL.
std::vector<std::string> IndexRows(const std::string& library, const std::string& database = {});

// The rows of one kind ("file", "source", ...), without the kind.
std::vector<std::string> RowsOf(const std::vector<std::string>& rows, const std::string& kind);

// A fresh database on the tests' own PostgreSQL server (started on first
// use, stopped when the tests end), as a postgresql:// address; empty with
// `why` set when the server cannot be started here.
std::string NewPostgresDatabase(std::string* why);

}  // namespace tramlet::library::test
