#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tramlet {

struct TileCoords {
    int z = 0;
    int x = 0;
    int y = 0;
};

// "/z/x/y" as the map page asks for a tile; nothing for any other text or for
// a tile off the map.
std::optional<TileCoords> ParseTilePath(std::string_view path);

// The tile's address under a template with {z}, {x} and {y}; {s} becomes one
// of the subdomains a, b and c, and {r} (the high-density suffix) nothing.
std::string TileAddress(std::string_view addressTemplate, const TileCoords& tile);

}  // namespace tramlet
