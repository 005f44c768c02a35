// A small 2D drawing port with no library behind it: 32-bit pixels, a fore
// and a back colour, a pen, rectangles, lines, a copy that halves its source
// and text from a built-in bitmap font. The 32-bit plug-in draws its panel
// displays through it; a host hands it the pixels to draw on.
//
// Geometry: integer coordinates, y downward. A rectangle holds the pixels
// from (left, top) up to but not including (right, bottom). The pen is a
// rectangle of pen width by pen height hanging right of and below its
// position; a line paints the pen at every point of the line between the
// two positions, both ends included.
#pragma once

#include <cstdint>
#include <vector>

// 16-bit colour components, as the drawing calls take them.
struct PPColor {
  uint16_t red, green, blue;
};

struct PPRect {
  int32_t left, top, right, bottom;
};

struct PPPort {
  int32_t width = 0, height = 0;
  int32_t rowPixels = 0;       // pixels from one row to the next
  uint32_t* pixels = nullptr;  // 0xAARRGGBB words, alpha always 255
  std::vector<uint32_t> owned; // the pixels of an off-screen port
  // Drawing coordinates are moved by the origin: (x, y) lands on pixel
  // (x - originX, y - originY).
  int32_t originX = 0, originY = 0;
  uint32_t fore = 0xFF000000u, back = 0xFFFFFFFFu;
  int32_t penX = 0, penY = 0;
  int32_t penWidth = 1, penHeight = 1;
};

// An off-screen port of the size, cleared to white; false when the size is
// not positive or past 16,384 on a side.
bool PPNewOffscreen(PPPort* port, int32_t width, int32_t height);
// A port drawing on pixels someone else owns.
void PPWrapPixels(PPPort* port, uint32_t* pixels, int32_t width, int32_t height, int32_t rowPixels);

// The 8-bit pixel word of a 16-bit colour (each component / 257).
uint32_t PPPixelOf(const PPColor& color);
void PPSetForeColor(PPPort* port, const PPColor& color);
void PPSetBackColor(PPPort* port, const PPColor& color);
void PPSetPenSize(PPPort* port, int32_t width, int32_t height);

void PPMoveTo(PPPort* port, int32_t x, int32_t y);
void PPLineTo(PPPort* port, int32_t x, int32_t y);
void PPPaintRect(PPPort* port, const PPRect& rect);  // in the fore colour
void PPEraseRect(PPPort* port, const PPRect& rect);  // in the back colour
// The one-pixel edge inside the rectangle, in the fore colour.
void PPFrameRect(PPPort* port, const PPRect& rect);
void PPSetPixel(PPPort* port, int32_t x, int32_t y, uint32_t pixel);
// The pixel word at port coordinates (origin applied); 0 outside the port.
uint32_t PPGetPixel(const PPPort& port, int32_t x, int32_t y);

// Copies the source rectangle of `from` into the destination rectangle of
// `to` at half its size: each destination pixel is the rounded mean of the
// two by two source pixels it stands for. The destination is clipped to the
// port; a source outside its port reads as black.
void PPCopyHalving(const PPPort& from, const PPRect& source, PPPort* to, const PPRect& destination);

// Text in the built-in font: 5 by 7 glyphs in 6-pixel cells, printable ASCII
// (others draw as a box). The baseline is at y; the pen moves past the text.
constexpr int32_t kPPFontAscent = 7;
constexpr int32_t kPPFontDescent = 2;
constexpr int32_t kPPFontAdvance = 6;
void PPDrawText(PPPort* port, const char* text, int32_t x, int32_t y);
int32_t PPTextWidth(const char* text);
// The same glyphs set close, for labels that must fit: each glyph starts at
// its first inked column and advances by its inked width and one pixel (a
// space by three), every font pixel drawn as scale by scale pixels (scale 1
// or more). The baseline is at y; the pen moves past the text. The width is
// from the first inked column to the last.
void PPDrawTextCondensed(PPPort* port, const char* text, int32_t x, int32_t y, int32_t scale);
int32_t PPTextWidthCondensed(const char* text, int32_t scale);
