#pragma once

#include <string>

#include <vector>

#include "support/run_command.h"
#include "support/temp_dir.h"

namespace tramlet::test {

// A PostgreSQL server of a test's own: a new cluster in a temporary folder
// (initdb), listening on 127.0.0.1 at a port of its own, run by an
// unprivileged user (nobody when the test runs as root, as PostgreSQL
// refuses root), stopped and removed with the object.
class PostgresServer {
  public:
    // `durable`: flush to disk as a real server does (benchmarks); tests
    // leave that out for speed.
    explicit PostgresServer(bool durable = false);
    ~PostgresServer();
    PostgresServer(const PostgresServer&) = delete;
    PostgresServer& operator=(const PostgresServer&) = delete;

    // Why the server could not be started (a tool missing, ...), or empty.
    const std::string& Error() const { return error_; }
    // postgresql://USER@127.0.0.1:PORT/DATABASE
    std::string Address(const std::string& database = "postgres") const;
    // Makes a new, empty database; false when it fails.
    bool CreateDatabase(const std::string& name) const;

  private:
    bool Start(bool durable);
    CommandResult RunAsServerUser(std::vector<std::string> argv) const;

    TempDir dir_;
    std::string bin_;  // the folder of initdb and pg_ctl
    std::string data_;
    std::string asUser_;  // setpriv options, when run as root
    int port_ = 0;
    bool running_ = false;
    std::string error_;
};

}  // namespace tramlet::test
