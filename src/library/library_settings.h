#pragma once

#include <string>

namespace tramlet::library {

// Where the program keeps its library: the LibraryFolder setting, by default
// Tramlet/보관함 in the user's videos folder, and the LibraryDatabase setting
// (a postgresql:// address), empty for the library's own SQLite index.
struct LibrarySettings {
    std::string folder;
    std::string database;

    static LibrarySettings Read();
};

}  // namespace tramlet::library
