// The program's own pictures and cursors, drawn at start-up: eyedropper
// icons and cursors, the curve editor's cursors, the picture pane's artwork
// and the label of the suspended-updates picture.
#pragma once

#include <cstdint>

// The picture pane's artwork for dark and for light interface colours.
constexpr int32_t kVFPaneArtworkDarkID = 201;
constexpr int32_t kVFPaneArtworkLightID = 202;

// Sizes of the drawn pictures.
constexpr int32_t kVFIconSide = 16;           // button icons and cursors
constexpr int32_t kVFPaneArtworkWidth = 131;  // pictures 201 and 202: the pane's width
constexpr int32_t kVFPaneArtworkHeight = 90;
constexpr int32_t kVFSuspendedLabelWidth = 220;  // picture 260
constexpr int32_t kVFSuspendedLabelHeight = 28;

// Draws and registers every picture (pictures 128-131, 201, 202, 260 and
// the cursor pictures 500-505) and, with the toolkit started, defines the
// cursors 500-505 from them. Registering again replaces them.
void VFRegisterControlPictures();
