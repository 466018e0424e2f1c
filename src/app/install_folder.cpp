#include "app/install_folder.h"

#include <filesystem>
#include <system_error>

namespace tramlet {

std::string ChooseInstallFolder(const std::optional<std::string>& installDirSetting,
                                const std::string& programFolder,
                                const std::string& workingFolder) {
    if (installDirSetting)
        return *installDirSetting;
    std::error_code error;
    const std::filesystem::path bundled = std::filesystem::weakly_canonical(
        std::filesystem::path(programFolder) / kMapFolderFromProgram, error);
    if (!error && std::filesystem::is_directory(bundled, error))
        return bundled.string();
    return workingFolder;
}

std::string MapPagePath(const std::string& installFolder) {
    return installFolder + "/map.html";
}

}  // namespace tramlet
