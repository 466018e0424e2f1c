#pragma once

#include "common/data_root_path.h"

namespace tramlet {

// The number at the start of the card's ".version" file, or 0 when the file
// is missing or does not begin with a number.
int ReadCardVersion(const DataRootPath& dataRoot);

}  // namespace tramlet
