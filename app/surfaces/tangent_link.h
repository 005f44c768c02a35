// The link to the USB control panel: opening the device and sending its
// glyph set-up, the reader that turns input reports into button and encoder
// events, the click window of the buttons, the text reports of the three
// displays, and the panel's start-up, timers and shutdown.
#pragma once

#include <cstddef>
#include <cstdint>

#include "app/surfaces/tangent_reports.h"

struct TangentPanel {
  uint32_t reserved[2];
  uint8_t open;            // the device is open
  uint8_t displaysActive;  // the displays show pages and the timers run
  uint8_t spare;
};

// The live panel, null when none runs; edits test it before refreshing.
extern TangentPanel* gTangentPanel;

void TangentPanelInit(TangentPanel* panel);
// Opens the device and starts its reader; the callbacks get refcon.
// Returns false (with nothing left open) when any step fails.
bool TangentOpenHIDDevice(void* refcon, TangentButtonProc button, TangentEncoderProc encoder);
// Opens the device for the panel and sends the twelve glyph reports.
bool TangentOpenPanel(TangentPanel* panel);
// Start-up of an opened panel: blank displays, the splash when asked, the
// timers, the first page.
void TangentStartPanel(TangentPanel* panel, bool splash);
// Blanks the 15 lines and removes the timers.
void TangentStopDisplays(TangentPanel* panel);
// Blanks and stops when still active, then closes the device.
void TangentShutdownPanel(TangentPanel* panel);
// As TangentShutdownPanel, for an open panel only.
void TangentClosePanel(TangentPanel* panel);

// Display output.
void TangentWriteDisplayLine(int32_t display, int32_t line, const char* text, int32_t justification);
void TangentWriteField(int32_t display, int32_t line, int32_t column, const char* text, int32_t alignment);

// The device's callbacks: buttons act on release after the click window,
// encoders at once.
void TangentButtonCallback(void* panel, int32_t index, int32_t state);
void TangentEncoderCallback(void* panel, int32_t index, int32_t count);
// One input report, on the main thread.
void TangentHandleInputReport(const uint8_t* report, size_t length);
// One tick (0.02 s) of the click window.
void TangentClickWindowTick(TangentPanel* panel);

// The timers: the 0.02 s tick and the 0.1 s shuttle tick.
void TangentFastTimer(TangentPanel* panel);
void TangentWheelTimer(TangentPanel* panel);

// Where clicks and encoder turns go: TangentDispatchControl unless replaced
// (a null proc brings it back); the fake panel tool and tests watch codes.
using TangentDispatchProc = void (*)(TangentPanel* panel, uint32_t code, int32_t value);
void TangentSetDispatchProc(TangentDispatchProc proc);

// The application's use: a new live panel (deleted again when it cannot be
// opened), and stopping and freeing the live one.
bool TangentStartLivePanel(bool splash);
void TangentStopLivePanel();
// Quitting: the displays blanked and the device closed, the object freed.
void TangentQuitLivePanel();
