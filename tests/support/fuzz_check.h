#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

// What the fuzz targets share: a check that aborts, which the fuzzer reports
// as a finding, and a scratch folder of their own under TMPDIR.
#define FUZZ_CHECK(cond)                                                                  \
    do {                                                                                  \
        if (!(cond)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                                 \
        }                                                                                 \
    } while (0)

namespace tramlet::test {

// A folder made for this process below TMPDIR (or the system's temporary
// folder), removed when the process ends normally.
inline const std::filesystem::path& FuzzScratch(const char* name) {
    static const std::filesystem::path folder = [name] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / (std::string(name) + "-XXXXXX")).string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        return std::filesystem::path(pattern);
    }();
    // Registered after the folder's own destructor, so it runs before it.
    static const int removal = std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(FuzzScratch(nullptr), ignored);
    });
    (void)removal;
    return folder;
}

}  // namespace tramlet::test
