#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "library/library_index.h"

namespace tramlet::library {

enum class VerifyProblem {
    kMissing,  // the index names it, the folder lacks it
    kChanged,  // other bytes than the index's hash
};
const char* ToString(VerifyProblem problem);  // "missing", "changed"

struct VerifyFinding {
    StoredFile file;
    VerifyProblem problem = VerifyProblem::kChanged;
    std::string detail;
};

struct VerifyProgress {
    std::size_t filesDone = 0;
    std::size_t filesTotal = 0;
    std::uint64_t bytesDone = 0;
    std::uint64_t bytesTotal = 0;
    std::string currentFile;  // VEHICLE/PATH
};

struct VerifyReport {
    std::size_t checked = 0;
    std::vector<VerifyFinding> findings;
    bool cancelled = false;
};

// Hashes every file the index names again and names each one that is
// missing or holds other bytes than the index says.
VerifyReport VerifyLibrary(LibraryIndex& index, const std::string& library,
                           const std::function<void(const VerifyProgress&)>& progress = {},
                           const std::atomic<bool>* cancel = nullptr);

}  // namespace tramlet::library
