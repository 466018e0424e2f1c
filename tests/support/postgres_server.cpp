#include "support/postgres_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "support/run_command.h"

namespace tramlet::test {
namespace {

// The newest installed server's programs; Debian keeps them off PATH.
std::string ServerBinaries() {
    std::vector<std::string> found;
    std::error_code error;
    for (const auto& version : std::filesystem::directory_iterator("/usr/lib/postgresql", error)) {
        if (std::filesystem::exists(version.path() / "bin/initdb"))
            found.push_back((version.path() / "bin").string());
    }
    std::sort(found.begin(), found.end(), [](const std::string& a, const std::string& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    return found.empty() ? std::string() : found.back();
}

// A port nothing listens on now, as the kernel hands one out.
int FreePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

}  // namespace

PostgresServer::PostgresServer(bool durable) {
    bin_ = ServerBinaries();
    if (bin_.empty()) {
        error_ = "PostgreSQL's server is not installed (scripts/setup-deps installs it)";
        return;
    }
    const std::string home = dir_.Path().string() + "/pg";
    std::filesystem::create_directory(home);
    data_ = home + "/data";
    if (::geteuid() == 0) {
        const passwd* nobody = ::getpwnam("nobody");
        if (!nobody || !HasProgram("setpriv")) {
            error_ = "running as root needs the user nobody and setpriv to start PostgreSQL";
            return;
        }
        // The folder must be reachable and the cluster's own for nobody.
        std::filesystem::permissions(dir_.Path(), std::filesystem::perms::owner_all |
                                                      std::filesystem::perms::group_exec |
                                                      std::filesystem::perms::others_exec);
        if (::chown(home.c_str(), nobody->pw_uid, nobody->pw_gid) != 0) {
            error_ = "cannot hand the server's folder to nobody";
            return;
        }
        asUser_ = std::to_string(nobody->pw_uid) + ":" + std::to_string(nobody->pw_gid);
    }
    for (int attempt = 0; attempt < 3 && !running_; ++attempt)
        running_ = Start(durable);
}

CommandResult PostgresServer::RunAsServerUser(std::vector<std::string> argv) const {
    if (!asUser_.empty()) {
        const size_t colon = asUser_.find(':');
        argv.insert(argv.begin(), {"setpriv", "--reuid=" + asUser_.substr(0, colon),
                                   "--regid=" + asUser_.substr(colon + 1), "--clear-groups"});
    }
    return RunCommand(argv);
}

bool PostgresServer::Start(bool durable) {
    const auto run = [this](std::vector<std::string> argv) {
        return RunAsServerUser(std::move(argv));
    };
    if (!std::filesystem::exists(data_ + "/PG_VERSION")) {
        const CommandResult made = run({bin_ + "/initdb", "-D", data_, "-U", "tramlet", "-A",
                                        "trust", "-E", "UTF8", "--locale=C", "--no-sync"});
        if (made.exitCode != 0) {
            error_ = "initdb failed: " + made.err;
            return false;
        }
    }
    port_ = FreePort();
    const std::string socketFolder = data_.substr(0, data_.rfind('/'));
    std::string settings =
        "-p " + std::to_string(port_) + " -k " + socketFolder + " -c listen_addresses=127.0.0.1";
    if (!durable)
        settings += " -c fsync=off -c synchronous_commit=off -c full_page_writes=off";
    const CommandResult started = run({bin_ + "/pg_ctl", "-D", data_, "-l", socketFolder + "/log",
                                       "-w", "-t", "60", "-o", settings, "start"});
    if (started.exitCode != 0) {
        error_ = "pg_ctl start failed: " + started.out + started.err;
        return false;
    }
    error_.clear();
    return true;
}

PostgresServer::~PostgresServer() {
    if (!running_)
        return;
    RunAsServerUser({bin_ + "/pg_ctl", "-D", data_, "-m", "immediate", "-w", "stop"});
}

std::string PostgresServer::Address(const std::string& database) const {
    return "postgresql://tramlet@127.0.0.1:" + std::to_string(port_) + "/" + database;
}

bool PostgresServer::CreateDatabase(const std::string& name) const {
    return RunCommand({bin_ + "/psql", "-q", "-X", "-d", Address(), "-c",
                       "CREATE DATABASE \"" + name + "\""})
               .exitCode == 0;
}

}  // namespace tramlet::test
