// Colours, fonts and text alignment as the window's controls name them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// 0xRRGGBB.
using TColor = std::uint32_t;
inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clRed = 0xFF0000;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clBlue = 0x0000FF;
inline constexpr TColor clNavy = 0x000080;

enum TAlignment { taLeftJustify, taRightJustify, taCenter };

// Unset parts are inherited from the parent control, as the form designer's ParentFont does.
struct TFont {
    std::string Name;  // family, GBK ("宋体", "LedNumber"); empty: inherited
    int PixelSize = 0; // character height in pixels; 0: inherited
    std::optional<TColor> Color;
    bool Bold = false;
};
