// What the map page may name: files of its folder, and tiles.
#include <gtest/gtest.h>

#include "map/folder_file.h"
#include "map/tile_address.h"
#include "support/temp_dir.h"

namespace tramlet {
namespace {

namespace fs = std::filesystem;

TEST(FileInFolder, ServesTheFolderAndNothingOutsideIt) {
    test::TempDir root;
    root.Write("outside.txt", "secret");
    const fs::path map = root.Path() / "map";
    root.Write("map/map.html", "<html>");
    root.Write("map/leaflet/leaflet.js", "L");
    fs::create_symlink(root.Path() / "outside.txt", map / "out-link");
    fs::create_symlink(map / "map.html", map / "in-link");
    fs::create_symlink("/etc", map / "etc");

    struct Case {
        const char* path;
        const char* served;  // relative to the folder; null when refused
    };
    for (const Case& c :
         {Case{"/map.html", "map.html"}, Case{"leaflet/leaflet.js", "leaflet/leaflet.js"},
          Case{"/in-link", "map.html"}, Case{"/leaflet/../map.html", nullptr},
          Case{"/../outside.txt", nullptr}, Case{"..", nullptr}, Case{"/out-link", nullptr},
          Case{"/etc/hostname", nullptr}, Case{"//etc/hostname", nullptr},
          Case{"/leaflet", nullptr}, Case{"/", nullptr}, Case{"/missing.js", nullptr}}) {
        const std::optional<fs::path> file = FileInFolder(map, c.path);
        if (c.served) {
            EXPECT_EQ(file, fs::canonical(map / c.served)) << c.path;
        } else {
            EXPECT_FALSE(file) << c.path;
        }
    }
}

TEST(TileAddress, ReadsOnlyTilesOnTheMapAndFillsTheTemplate) {
    for (const char* refused : {"", "/1/2", "/1/2/3/4", "/1/2/2", "/0/0/-0", "/25/0/0", "/3/8/0",
                                "/3/0/8", "/x/0/0", "/1/0/0.png", "/1/+1/0", "/99999999999/0/0"}) {
        EXPECT_FALSE(ParseTilePath(refused)) << refused;
    }
    const std::optional<TileCoords> tile = ParseTilePath("/17/111756/50825");
    ASSERT_TRUE(tile);
    EXPECT_EQ(TileAddress("https://{s}.tile.example/{z}/{x}/{y}{r}.png?z={z}", *tile),
              "https://c.tile.example/17/111756/50825.png?z=17");
}

}  // namespace
}  // namespace tramlet
