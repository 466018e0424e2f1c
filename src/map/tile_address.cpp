#include "map/tile_address.h"

#include <charconv>

namespace tramlet {
namespace {

constexpr int kMaxZoom = 24;

bool ReadNumber(std::string_view& text, int& value) {
    if (text.empty() || text.front() != '/')
        return false;
    const char* first = text.data() + 1;
    const char* last = text.data() + text.size();
    if (first == last || *first < '0' || *first > '9')
        return false;
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end - first > 8)
        return false;
    text.remove_prefix(static_cast<size_t>(end - text.data()));
    return true;
}

}  // namespace

std::optional<TileCoords> ParseTilePath(std::string_view path) {
    TileCoords tile;
    if (!ReadNumber(path, tile.z) || !ReadNumber(path, tile.x) || !ReadNumber(path, tile.y) ||
        !path.empty() || tile.z < 0 || tile.z > kMaxZoom) {
        return std::nullopt;
    }
    const long long side = 1LL << tile.z;
    if (tile.x < 0 || tile.x >= side || tile.y < 0 || tile.y >= side)
        return std::nullopt;
    return tile;
}

std::string TileAddress(std::string_view addressTemplate, const TileCoords& tile) {
    const std::string subdomain(1, "abc"[(tile.x + tile.y) % 3]);
    const std::pair<std::string_view, std::string> fields[] = {
        {"{z}", std::to_string(tile.z)},
        {"{x}", std::to_string(tile.x)},
        {"{y}", std::to_string(tile.y)},
        {"{s}", subdomain},
        {"{r}", ""},
    };
    std::string address(addressTemplate);
    for (const auto& [name, value] : fields) {
        for (size_t at = address.find(name); at != std::string::npos;
             at = address.find(name, at + value.size())) {
            address.replace(at, name.size(), value);
        }
    }
    return address;
}

}  // namespace tramlet
