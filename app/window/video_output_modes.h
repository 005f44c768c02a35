// The display modes of the video output devices, as the preferences' mode
// popup lists them: each device's modes read into a menu (one item per
// mode, the mode ID as its command) and into the application's table of
// modes, from which OK copies the chosen mode's size, rate and pixel types
// into the preferences.
#pragma once

#include <cstdint>

struct TKMenu;

// What the table keeps of a mode.
struct VideoOutputModeRecord {
  uint32_t id = 0;
  uint32_t decompressorType = 0;  // 'raw ' for the device's own raw type
  int32_t width = 0, height = 0;
  float rate = 0;  // frames per second
  uint32_t pixelType = 0;
};

// The frame rate a mode is recorded with, from the rate the device gives
// (16.16 fixed point, 0 for none) and the mode's height; 16.16 fixed point.
// No rate counts as 29.97; 29.0 and 0x1D0061 count as 29.97 (1,964,115);
// a rate above 30 is a field rate: 25.0 for 50 fields or fewer on more
// than 486 lines, else 29.97.
int32_t VideoOutputFrameRate(int32_t rate, int32_t height);

// Empties the menu and fills it with the modes of the device: for 'NoNE'
// and 'GlOW' one blank item whose command is the device code; otherwise
// one item per mode of the device (its name with every "/" made "-", its
// ID the command), each recorded in the table. A device that cannot be
// opened gives no items. Returns the number of items.
int32_t FillVideoOutputModeMenu(TKMenu* menu, uint32_t device);

// The recorded mode with that ID, or null.
const VideoOutputModeRecord* FindVideoOutputMode(uint32_t id);
