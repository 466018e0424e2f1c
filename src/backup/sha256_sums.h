#pragma once

#include <map>
#include <string>
#include <string_view>

namespace tramlet {

// The SHA256SUMS file of a backup folder. Backups into the same folder add to
// it: a file copied again gets its new hash, earlier entries stay.
class Sha256Sums {
  public:
    explicit Sha256Sums(std::string path) : path_(std::move(path)) {}

    void Set(const std::string& relativePath, const std::string& hexDigest);
    // Merges with what the file holds and replaces it atomically.
    // Returns 0, or the errno of what failed.
    int Save() const;

    // The entries of SHA256SUMS text, relative path -> digest, as sha256sum
    // writes and reads them; a line without 64 hex digits in front of its
    // name is none.
    static std::map<std::string, std::string> Parse(std::string_view text);

  private:
    std::map<std::string, std::string> ReadExisting() const;

    std::string path_;
    std::map<std::string, std::string> entries_;
};

}  // namespace tramlet
