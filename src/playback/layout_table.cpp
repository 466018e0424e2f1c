#include "playback/layout_table.h"

namespace tramlet {

LayoutTable BuildLayoutTable(int width, int height) {
    const int halfW = width / 2;
    const int halfH = height / 2;
    const LayoutCell topLeft{0, 0, halfW, halfH};
    const LayoutCell topRight{halfW, 0, halfW, halfH};
    const LayoutCell bottomLeft{0, halfH, halfW, halfH};
    const LayoutCell bottomRight{halfW, halfH, halfW, halfH};

    LayoutTable table{};
    table[0][0] = {0, 0, width, height};
    // Cells past the channel count are never used; they repeat the last one.
    table[1] = {LayoutCell{0, height / 4, halfW, halfH},
                LayoutCell{halfW, height / 4, halfW, halfH}, bottomRight, bottomRight};
    table[2] = {topLeft, topRight, bottomLeft, bottomRight};
    table[3] = table[2];
    return table;
}

}  // namespace tramlet
