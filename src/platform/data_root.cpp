#include "platform/data_root.h"

namespace tramlet {

bool IsCardLabel(std::string_view label) {
    constexpr std::string_view kCardLabel = "QM_CAM07";
    if (label.size() < kCardLabel.size())
        return false;
    for (size_t i = 0; i < kCardLabel.size(); ++i) {
        const char c = label[i];
        const char upper = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        if (upper != kCardLabel[i])
            return false;
    }
    return true;
}

DataRootPath FindDataRoot(const std::vector<MountedVolume>& volumes,
                          std::string_view workingFolder) {
    for (const MountedVolume& volume : volumes) {
        if (IsCardLabel(volume.label))
            return DataRootPath(volume.mountPath);
    }
    return DataRootPath(workingFolder);
}

}  // namespace tramlet
