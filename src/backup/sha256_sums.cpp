#include "backup/sha256_sums.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>

namespace tramlet {
namespace {

// coreutils' form for a name with a backslash or a newline: the line begins
// with a backslash, and the name carries them as "\\" and "\n".
std::string Line(const std::string& file, const std::string& hash) {
    if (file.find_first_of("\\\n") == std::string::npos)
        return hash + "  " + file + "\n";
    std::string escaped;
    for (const char c : file)
        escaped += c == '\\' ? "\\\\" : c == '\n' ? "\\n" : std::string(1, c);
    return "\\" + hash + "  " + escaped + "\n";
}

std::string Unescaped(const std::string& name) {
    std::string plain;
    for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 1 < name.size())
            plain += name[++i] == 'n' ? '\n' : name[i];
        else
            plain += name[i];
    }
    return plain;
}

}  // namespace

void Sha256Sums::Set(const std::string& relativePath, const std::string& hexDigest) {
    entries_[relativePath] = hexDigest;
}

std::map<std::string, std::string> Sha256Sums::ReadExisting() const {
    std::map<std::string, std::string> existing;
    std::ifstream in(path_);
    std::string line;
    while (std::getline(in, line)) {
        // "<64 hex digits>  <path>", as sha256sum writes it, or escaped
        const bool escaped = !line.empty() && line[0] == '\\';
        const size_t at = escaped ? 1 : 0;
        if (line.size() <= at + 66 || line[at + 64] != ' ')
            continue;
        const std::string name = line.substr(at + 66);
        existing[escaped ? Unescaped(name) : name] = line.substr(at, 64);
    }
    return existing;
}

int Sha256Sums::Save() const {
    std::map<std::string, std::string> all = ReadExisting();
    for (const auto& [file, hash] : entries_)
        all[file] = hash;
    std::string text;
    for (const auto& [file, hash] : all)
        text += Line(file, hash);

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
