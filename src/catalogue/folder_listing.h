#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tramlet {

// The names of one folder, read once and matched against as many search
// patterns as needed: a month scan asks 31 questions of the same listing.
class FolderListing {
  public:
    FolderListing() = default;
    // Regular files only: no links, FIFOs, devices or folders. A folder that
    // is missing or unreadable lists as empty.
    static FolderListing Read(const std::string& folder);

    // Names matching the pattern, in the order the folder listing gave them.
    std::vector<std::string> Match(std::string_view namePattern) const;
    const std::vector<std::string>& Names() const { return names_; }

  private:
    std::vector<std::string> names_;
};

// The name part of "folder/pattern": what a listing of the folder is matched with.
std::string_view PatternName(std::string_view pathPattern);

// Lists the folder part of "folder/pattern" and matches its name part.
std::vector<std::string> FindFiles(std::string_view pathPattern);

}  // namespace tramlet
