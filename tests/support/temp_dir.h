#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tramlet::test {

// A fresh folder for one test, removed with everything in it afterwards.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // The folder as a data root: its path with a trailing '/'.
    std::string Root() const { return path_.string() + "/"; }
    // Writes a file below the folder, creating folders on the way.
    std::filesystem::path Write(std::string_view relative, std::string_view content) const;

  private:
    std::filesystem::path path_;
};

}  // namespace tramlet::test
