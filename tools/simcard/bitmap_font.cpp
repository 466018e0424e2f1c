#include "bitmap_font.h"

#include <algorithm>
#include <array>

namespace tramlet::simcard {
namespace {

using Glyph = std::array<std::uint8_t, BitmapFont::kGlyphHeight>;  // five bits a row, MSB left

struct GlyphEntry {
    char character;
    Glyph rows;
};

constexpr GlyphEntry kGlyphs[] = {
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}},
    {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}},
    {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}},
    {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}},
    {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}},
    {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {':', {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00}},
    {'-', {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}},
    {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}},
    {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}},
    {'H', {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
};

// Characters outside the font draw as blanks.
Glyph GlyphOf(char c) {
    for (const GlyphEntry& entry : kGlyphs) {
        if (entry.character == c)
            return entry.rows;
    }
    return {};
}

constexpr std::uint8_t kTextLuma = 235;
constexpr std::uint8_t kShadowLuma = 16;

}  // namespace

void Plane::Fill(int x, int y, int w, int h, std::uint8_t value) const {
    const int left = std::max(x, 0), right = std::min(x + w, width);
    const int top = std::max(y, 0), bottom = std::min(y + h, height);
    if (left >= right)
        return;
    for (int row = top; row < bottom; ++row)
        std::fill_n(pixels + static_cast<std::ptrdiff_t>(row) * stride + left, right - left, value);
}

void BitmapFont::DrawText(const Plane& plane, int x, int y, int scale, std::string_view text) {
    const int shadow = std::max(1, scale / 3);
    DrawGlyphs(plane, x + shadow, y + shadow, scale, text, kShadowLuma);
    DrawGlyphs(plane, x, y, scale, text, kTextLuma);
}

void BitmapFont::DrawGlyphs(const Plane& plane, int x, int y, int scale, std::string_view text,
                            std::uint8_t value) {
    for (char c : text) {
        const Glyph glyph = GlyphOf(c);
        for (int row = 0; row < kGlyphHeight; ++row) {
            for (int col = 0; col < kGlyphWidth; ++col) {
                if (glyph[row] & (0x10 >> col))
                    plane.Fill(x + col * scale, y + row * scale, scale, scale, value);
            }
        }
        x += kAdvance * scale;
    }
}

}  // namespace tramlet::simcard
