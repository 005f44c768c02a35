// Small window helpers: keyboard focus, and measuring and drawing a line of
// Mac Roman text in one of the interface's fonts with its baseline on a pen.
#pragma once

#include <cstdint>
#include <string>

#include "platform/status.h"
#include "platform/ui/ui_draw.h"

struct TKControl;
struct TKWindow;

// Gives the control the keyboard focus in its window; nothing without one.
QVStatus QVSetKeyboardFocusToControl(TKControl* control);
// Clears the window's keyboard focus; a null window is ignored.
void QVClearKeyboardFocus(TKWindow* window);

// Interface font ids: the control font and the small font of the scopes.
enum : int32_t { kUIFontControl = 0, kUIFontScope = 200 };
// "Lucida Grande" (fontconfig falls back to a sans face) at 11 points; the
// scopes' font a size smaller.
TKFont UIInterfaceFont(int32_t fontID);

// A code point below 0x10000 appended as UTF-8.
void QVAppendUTF8(std::string& out, uint32_t cp);
// Mac Roman to UTF-8.
std::string QVMacRomanToUTF8(const char* text);
// Width in pixels of the text in the font; 0 for null text.
int32_t QVGetThemeTextWidth(const char* text, int32_t fontID);
// Draw the text with its baseline at pen.y, its left edge (AtPen) or its
// right edge (RightAligned) one pixel left of pen.x. kQVErrParam (-50) for
// null text.
QVStatus QVDrawThemeTextAtPen(TKContext* ctx, TKPoint pen, const char* text, int32_t fontID);
QVStatus QVDrawThemeTextRightAligned(TKContext* ctx, TKPoint pen, const char* text, int32_t fontID);
