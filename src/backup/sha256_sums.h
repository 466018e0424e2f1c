#pragma once

#include <map>
#include <string>

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

  private:
    std::map<std::string, std::string> ReadExisting() const;

    std::string path_;
    std::map<std::string, std::string> entries_;
};

}  // namespace tramlet
