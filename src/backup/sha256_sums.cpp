#include "backup/sha256_sums.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
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

std::string Sha256Sums::Save() const {
    std::map<std::string, std::string> all = ReadExisting();
    for (const auto& [file, hash] : entries_)
        all[file] = hash;
    std::string text;
    for (const auto& [file, hash] : all)
        text += hash + "  " + file + "\n";

    const std::string temp = path_ + ".part";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return "cannot write SHA256SUMS: " + std::string(std::strerror(errno));
    const bool written =
        ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) &&
        ::fsync(fd) == 0;
    const int savedErrno = errno;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || std::rename(temp.c_str(), path_.c_str()) != 0) {
        const int error = !written ? savedErrno : errno;
        ::unlink(temp.c_str());
        return "cannot write SHA256SUMS: " + std::string(std::strerror(error));
    }
    return {};
}

}  // namespace tramlet
