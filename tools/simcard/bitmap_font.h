#pragma once

#include <cstdint>
#include <string_view>

namespace tramlet::simcard {

// One 8-bit plane to draw on, such as the luma plane of a picture.
struct Plane {
    std::uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;

    void Fill(int x, int y, int w, int h, std::uint8_t value) const;
};

// A 5x7 pixel font of the few characters a recorder burns into its pictures
// (digits, ':', '-', '.', 'C', 'H' and space), scaled up by whole pixels.
class BitmapFont {
  public:
    static constexpr int kGlyphWidth = 5;
    static constexpr int kGlyphHeight = 7;
    static constexpr int kAdvance = kGlyphWidth + 1;

    // Draws light text with a dark shadow so it reads on any background.
    static void DrawText(const Plane& plane, int x, int y, int scale, std::string_view text);

  private:
    static void DrawGlyphs(const Plane& plane, int x, int y, int scale, std::string_view text,
                           std::uint8_t value);
};

}  // namespace tramlet::simcard
