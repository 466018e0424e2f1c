#include "common/data_root_path.h"

#include "common/path_text.h"

namespace tramlet {

DataRootPath::DataRootPath(std::string_view folder) : text_(WithSlash(folder)) {}

std::string DataRootPath::Below(std::string_view relative) const {
    std::string path = text_;
    path += relative;
    return path;
}

}  // namespace tramlet
