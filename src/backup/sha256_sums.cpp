#include "backup/sha256_sums.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>

namespace tramlet {

void Sha256Sums::Set(const std::string& relativePath, const std::string& hexDigest) {
    entries_[relativePath] = hexDigest;
}

std::map<std::string, std::string> Sha256Sums::ReadExisting() const {
    std::map<std::string, std::string> existing;
    std::ifstream in(path_);
    std::string line;
    while (std::getline(in, line)) {
        // "<64 hex digits>  <path>", as sha256sum writes it
        if (line.size() > 66 && line[64] == ' ')
            existing[line.substr(66)] = line.substr(0, 64);
    }
    return existing;
}

int Sha256Sums::Save() const {
    std::map<std::string, std::string> all = ReadExisting();
    for (const auto& [file, hash] : entries_)
        all[file] = hash;
    std::string text;
    for (const auto& [file, hash] : all)
        text += hash + "  " + file + "\n";

    const std::string temp = path_ + ".part";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return errno;
    errno = 0;
    const ssize_t wrote = ::write(fd, text.data(), text.size());
    // A short write sets no errno: the disk is full.
    int error = wrote == static_cast<ssize_t>(text.size()) ? 0 : errno ? errno : ENOSPC;
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && std::rename(temp.c_str(), path_.c_str()) != 0)
        error = errno;
    if (error != 0)
        ::unlink(temp.c_str());
    return error;
}

}  // namespace tramlet
