#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "common/failure.h"

namespace tramlet {

using ByteProgress = std::function<void(std::uint64_t bytes)>;

enum class HashProblem {
    kUnreadable,  // the file could not be opened or read to its end
    kCancelled,
};

// The SHA-256 of a regular file, reading and hashing in turns, or why there
// is none. `progress` gets the size of each block read; `cancel` is looked at
// between blocks.
Expected<std::string, Failure<HashProblem>> HashFile(const std::string& path,
                                                     const ByteProgress& progress = {},
                                                     const std::atomic<bool>* cancel = nullptr);

}  // namespace tramlet
