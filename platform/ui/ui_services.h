// Services: clipboard with named flavours, displays, beep.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ui/ui_types.h"

// The text flavour is shared with other programs where the backend can.
constexpr const char* kTKFlavourText = "public.utf8-plain-text";

void TKClipboardClear();
QVStatus TKClipboardPut(const char* flavour, const void* data, size_t size);
// kQVErrFileNotFound when the clipboard has no such flavour.
QVStatus TKClipboardGet(const char* flavour, std::vector<uint8_t>* data);
bool TKClipboardHas(const char* flavour);

int32_t TKDisplayCount();
TKRect TKGetDisplayBounds(int32_t display);  // empty for a bad number
// The system's name of the display, else "Display N" (N counted from 1).
std::string TKGetDisplayName(int32_t display);
int32_t TKGetMainDisplay();
// Display that holds most of the rectangle (the main display when none).
int32_t TKDisplayForRect(const TKRect& r);

void TKBeep();
