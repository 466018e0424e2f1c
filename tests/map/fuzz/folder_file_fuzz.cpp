// Fuzz target over the confinement of the map page's addresses to its
// folder. Input: a decoded address path. The folder (under TMPDIR) holds
// files, a sub-folder, and links that point inside, outside and round in a
// circle. Besides "no crash, no sanitizer report" it checks on every input
// that the answer is a regular file inside the folder, or nothing.
#include <fstream>
#include <string_view>

#include "map/folder_file.h"
#include "support/fuzz_check.h"

namespace {

namespace fs = std::filesystem;

void Put(const fs::path& file) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << "x";
}

// The page's folder; made once.
const fs::path& Folder() {
    static const fs::path home = [] {
        const fs::path scratch = tramlet::test::FuzzScratch("tramlet-folder-fuzz");
        const fs::path page = scratch / "map";
        Put(page / "map.html");
        Put(page / "leaflet/leaflet.js");
        Put(page / "leaflet/images/marker-icon.png");
        Put(scratch / "secret.txt");
        Put(scratch / "map-other/x.png");
        fs::create_symlink("leaflet/leaflet.js", page / "inside.js");
        fs::create_symlink("../secret.txt", page / "secret.txt");
        fs::create_directory_symlink("..", page / "up");
        fs::create_directory_symlink("../map-other", page / "other");
        fs::create_symlink("loop", page / "loop");
        fs::create_symlink("missing", page / "dangling");
        return fs::canonical(page);
    }();
    return home;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view relative(reinterpret_cast<const char*>(data), size);
    const std::optional<fs::path> file = tramlet::FileInFolder(Folder(), relative);
    if (!file)
        return 0;
    const std::string home = Folder().string() + "/";
    FUZZ_CHECK(file->string().compare(0, home.size(), home) == 0);
    std::error_code error;
    FUZZ_CHECK(fs::is_regular_file(fs::symlink_status(*file, error)));
    FUZZ_CHECK(fs::canonical(*file, error) == *file);
    return 0;
}
