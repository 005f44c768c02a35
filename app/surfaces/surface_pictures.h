// The pictures of the surface definition editor, drawn by the program: the
// surface seen from above, the key picture that paints each part in its own
// colour (white: nothing), the lit trackball colours, the page LEDs and the
// dot-matrix font of the page display; the key table that leads from a key
// colour to a surface control; and the overlay that shows a page's state on
// the picture.
#pragma once

#include <cstdint>

#include "platform/ui/ui_types.h"

struct TKContext;
struct TKImage;

// The picture's size; the overlay has the same.
constexpr int32_t kSurfacePictureWidth = 800;
constexpr int32_t kSurfacePictureHeight = 500;

// What a click on a part edits.
enum : uint32_t {
  kSurfaceTargetButton = 1,
  kSurfaceTargetKnob = 2,
  kSurfaceTargetKnobPush = 3,
  kSurfaceTargetTrackball = 4,
  kSurfaceTargetRing = 5,
  kSurfaceTargetPageDisplay = 6,
};

struct SurfaceKeyEntry {
  uint8_t red, green, blue, pad;
  uint32_t controlID;
  uint32_t target;
};
static_assert(sizeof(SurfaceKeyEntry) == 12);

constexpr int32_t kSurfaceKeyCount = 44;
extern const SurfaceKeyEntry kSurfaceEditorKeyTable[kSurfaceKeyCount];

// The entry of a key colour: exact matches only, the last of several wins;
// null for white and for colours not in the table.
const SurfaceKeyEntry* SurfaceEditorKeyLookup(uint8_t red, uint8_t green, uint8_t blue);
// The entry under a point of the key picture (top-left origin); null
// outside the picture, on white or on an unknown colour.
const SurfaceKeyEntry* SurfaceEditorKeyAt(TKImage* key, int32_t x, int32_t y);

// A picture by its resource name ("KnobwellOverhead.png", "KnobwellKey.png",
// "Trackball1Red.png" ... "Trackball4Blue.png", "LEDon.png", "LEDon2.png",
// "DotMatrixTiny.png"), made new; null for any other name. The caller
// disposes it.
TKImage* SurfaceEditorLoadImage(const char* name);
// The same pictures, each made once and kept until the program ends (the
// overhead picture excepted, which the editor makes at each opening).
TKImage* SurfaceEditorCachedImage(const char* name);

// The font: one row of 6 x 12 cells from the space (32) to '~' (126).
constexpr int32_t kDotMatrixCellWidth = 6;
constexpr int32_t kDotMatrixCellHeight = 12;
extern const uint8_t kDotMatrixFont[95][5];

// Draws the part src of image into dst (top-left coordinates). Equal
// rectangles draw the image at (0, 0) at its size, clipped to dst;
// otherwise the whole image is scaled by dst / src so that src lands on
// dst, clipped to dst.
void SurfaceEditorDrawImage(const TKRect& src, const TKRect& dst, TKContext* ctx, TKImage* image);

// The overlay of one page on the picture: cleared, and, when active, the
// trackballs in their colour words (205 red, 341 green, 409 blue), the LED
// of page 1-7 and the four display lines (left 1, left 2, right 1, right 2)
// in the dot-matrix font, each centred on its display for up to 24
// characters. Characters outside 32-126 are left out.
void SurfaceEditorDrawOverlay(TKImage* overlay, int32_t page, const uint32_t trackballColors[4],
                              const char* const lines[4], bool active);

// Where a display line starts, in the picture's bottom-left coordinates of
// the layout: x of the first character, y of the line's bottom.
TKPoint SurfaceEditorLineOrigin(int32_t lineIndex, int32_t length);

// The centre of key table entry index in the picture (top-left origin), a
// point inside its part.
TKPoint SurfaceEditorPartCentre(int32_t index);
