// The two display areas of the effect's panel: four curve displays (master,
// red, green, blue) under "Curves" and four hue-offset wheels (master,
// shadows, midtones, highlights) under "Hue Offset". Both edit the settings
// record of parameter 1 directly: clicks and drags move points and markers
// inside an undo group, a context menu deletes points, resets, loads and
// saves.
#pragma once

#include <cstdint>

#include "core/frame_buffer.h"
#include "core/settings_record.h"
#include "platform/host/host_interface.h"
#include "platform/pixel_port.h"
#include "plugin/drawbot.h"
#include "plugin/plugin_data.h"
#include "support/context_menu.h"

// Layout: 161-pixel displays in 181-pixel cells, two columns and two rows.
constexpr int32_t kPanelDisplaySize = 161;
constexpr int32_t kPanelCellSize = 181;
constexpr int32_t kPanelDisplayInset = 10;    // the plot's left edge (and a wheel's top) in its cell
constexpr int32_t kCurvePlotTop = 16;         // a curve plot's top in its cell
constexpr int32_t kCurveRowTop = 187;         // the bottom row of curves
constexpr int32_t kCurveAreaWidth = 362, kCurveAreaHeight = 374;
constexpr int32_t kWheelAreaSize = 362;
constexpr int32_t kWheelImageSize = 181;      // the display size plus 20
constexpr int32_t kWheelRadius = 80;          // half the display size
constexpr double kWheelAngleOffset = 1.7976891994476318;  // 103 degrees: hue 0 sits there on the screen

// 0, or 512 when the instance has no sequence data.
HIError HandleCurveEvents(const HIInData* in, HIOutData* out, HIParamDef* params[], HIWorld* output,
                          HIEventExtra* event, const VLGlobalData* globals);
HIError HandleHueOffsetWheelEvents(const HIInData* in, HIOutData* out, HIParamDef* params[], HIWorld* output,
                                   HIEventExtra* event, const VLGlobalData* globals);

// What differs between the two areas; the events themselves run the same way.
struct PanelDisplayKind {
  const char* undoName;
  int32_t areaHeight;
  int32_t rowTop;  // the bottom row's top
  bool yWithinArea;  // clicks and drags take y within the whole area, not the row
  // x and y inside the cell; the bottom row's cells start at rowTop.
  bool (*inDisplay)(int32_t x, int32_t y);
  void (*click)(VL_SettingsStruct* settings, VLSeqData* sequence, int32_t display, HIPoint origin, int32_t x,
                int32_t y, uint32_t modifiers);
  void (*drag)(VL_SettingsStruct* settings, VLSeqData* sequence, int32_t display, HIPoint origin, int32_t x,
               int32_t y, bool last, uint32_t modifiers);
  void (*menu)(VL_SettingsStruct* settings, VLSeqData* sequence, int32_t display);
  void (*draw)(const VL_SettingsStruct* settings, const VLSeqData* sequence, int32_t display, int32_t left,
               int32_t top, DrawbotContext* draw);
  // The cursor for the point in the area; -1 leaves the host's.
  int32_t (*cursor)(int32_t x, int32_t y, bool menuModifier);
  // The display drawn through the host's port (the 32-bit build's panel).
  void (*portDraw)(const VL_SettingsStruct* settings, const VLSeqData* sequence, int32_t display, int32_t left,
                   int32_t top, PPPort* port);
};
HIError HandlePanelDisplayEvents(const HIInData* in, HIOutData* out, HIParamDef* params[], HIEventExtra* event,
                                 const VLGlobalData* globals, const PanelDisplayKind& kind);

// Context-menu item callbacks; userData is the menu's context record.
void HandleCurveContextMenu(int32_t zero, int32_t message, int32_t tag, TKMenu* menu, void* userData);
void HandleHueWheelsContextMenu(int32_t zero, int32_t message, int32_t tag, TKMenu* menu, void* userData);

struct CurveMenuContext {
  int32_t display;
  int32_t* selected;
  VL_CurveControls* curves;  // the four RGB curves
  VL_SettingsStruct* settings;
};
struct WheelMenuContext {
  int32_t wheel;
  VL_HSLOffsetControls* offsets;
  VL_SettingsStruct* settings;
};

// Wheel maths. The cell's wheel centre is at radius + 10; x and y are the
// mouse inside the cell; modifiers are the host's (command 0x100, shift 0x200).
void MacHueOffsetClick(HIPoint origin, int32_t width, int32_t height, VL_HSLOffsetControls* offsets, int32_t wheel,
                       int32_t x, int32_t y, uint32_t modifiers);
void MacHueOffsetDrag(HIPoint origin, int32_t width, int32_t height, VL_HSLOffsetControls* offsets, int32_t wheel,
                      int32_t x, int32_t y, uint32_t modifiers);

// The wheel picture (format 32, alpha 255 everywhere), drawn four times as
// large and reduced for smooth edges; null when it cannot be made.
FBFrameStruct* CreateHueWheelFrameBuffer(int32_t width, int32_t height, int32_t radius);

void DrawbotCurveDisplay(int32_t left, int32_t top, int32_t width, int32_t height, const VL_CurveControls* curve,
                         int32_t selected, int32_t display, DrawbotContext* draw);
void DrawbotHueOffsetDisplay(int32_t left, int32_t top, int32_t width, int32_t height,
                             const VL_HSLOffsetControls* offsets, int32_t wheel, DrawbotContext* draw);

// The colour of a display drawn at the interface saturation preference:
// s x colour + (1 - s) x its grey, each channel held to 0..1.
HIDrawColor PanelDisplayColor(double red, double green, double blue);
