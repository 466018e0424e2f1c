#include "backup/sha256_sums.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "common/atomic_file.h"

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

bool IsHexDigest(std::string_view text) {
    return text.size() == 64 && std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
           });
}

std::string Unescaped(std::string_view name) {
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

std::map<std::string, std::string> Sha256Sums::Parse(std::string_view text) {
    std::map<std::string, std::string> entries;
    while (!text.empty()) {
        const size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        // "<64 hex digits>  <path>" or, in binary mode, " *<path>"; escaped
        // when the line begins with a backslash.
        const bool escaped = !line.empty() && line[0] == '\\';
        const size_t at = escaped ? 1 : 0;
        if (line.size() <= at + 66 || !IsHexDigest(line.substr(at, 64)) || line[at + 64] != ' ' ||
            (line[at + 65] != ' ' && line[at + 65] != '*')) {
            continue;
        }
        const std::string_view name = line.substr(at + 66);
        entries[escaped ? Unescaped(name) : std::string(name)] = std::string(line.substr(at, 64));
    }
    return entries;
}

std::map<std::string, std::string> Sha256Sums::ReadExisting() const {
    std::ifstream in(path_, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return Parse(text.str());
}

int Sha256Sums::Save() const {
    std::map<std::string, std::string> all = ReadExisting();
    for (const auto& [file, hash] : entries_)
        all[file] = hash;
    std::string text;
    for (const auto& [file, hash] : all)
        text += Line(file, hash);

    AtomicFile file(path_);
    if (!file.Ok())
        return file.Error();
    errno = 0;
    const ssize_t wrote = ::write(file.Fd(), text.data(), text.size());
    // A short write sets no errno: the disk is full.
    if (wrote != static_cast<ssize_t>(text.size()))
        return errno ? errno : ENOSPC;
    // The copier flushes the folder once, after the copies and this file.
    return file.Commit(AtomicFile::FolderFlush::kLater);
}

}  // namespace tramlet
