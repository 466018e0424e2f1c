#pragma once

#include <string>
#include <string_view>

namespace tramlet {

// A folder that holds the recorder's video/ and gps/ folders. Every path below
// it is its text with the rest appended, so a root that lacked its '/' would
// silently find nothing: the slash is made here, once, and nowhere else.
class DataRootPath {
  public:
    // No root: "." as it always was, below which nothing is found.
    DataRootPath() = default;
    // The folder with one '/' at its end; "" gives "/".
    explicit DataRootPath(std::string_view folder);

    const std::string& Text() const { return text_; }
    // The text followed by `relative`, as in "video/NAME".
    std::string Below(std::string_view relative) const;

    bool operator==(const DataRootPath&) const = default;

  private:
    std::string text_ = ".";
};

}  // namespace tramlet
