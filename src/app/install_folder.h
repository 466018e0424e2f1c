#pragma once

#include <optional>
#include <string>

namespace tramlet {

// Where the map page lies below an install prefix (and below the build tree,
// which mirrors it), relative to the program's own folder.
inline constexpr const char* kMapFolderFromProgram = "../share/tramlet/map";

// The folder that holds the map page: the InstallDir setting when there is
// one; else the map folder that came with the program, if it exists; else
// the working folder.
std::string ChooseInstallFolder(const std::optional<std::string>& installDirSetting,
                                const std::string& programFolder, const std::string& workingFolder);

// The map page inside the install folder. A setting that ends in '/' gives a
// doubled separator, which the file system ignores.
std::string MapPagePath(const std::string& installFolder);

}  // namespace tramlet
