// The waveform monitor: the level of every sampled pixel against its
// horizontal position, in seven variants, on a graticule in IRE units or
// millivolts.
#pragma once

#include <cstdint>

#include "platform/ui/ui_draw.h"

enum : uint32_t {
  kWFMFlagTrace = 1,             // draw a trace
  kWFMFlagChroma = 2,            // luma with chroma (the YC waveform)
  kWFMFlagColor = 4,             // trace in the picture's own colour
  kWFMFlagLittleEndian = 0x100,  // pixels are little-endian A, R, G, B words; else A, R, G, B in memory
  kWFMFlagIRE = 0x400,           // IRE units; else millivolts
};

enum : int32_t {
  kWFMTraceLuma = 1,
  kWFMTraceYCbCrParade = 2,  // Y, Cb, Cr
  kWFMTraceRGBParade = 3,    // R, G, B
  kWFMTraceRGBOverlay = 4,   // R, G, B over one another
  kWFMTraceYRGBParade = 5,   // Y, R, G, B
  kWFMTraceGBRParade = 6,    // G, B, R
};

enum : int32_t { kWFMSystemNTSC = 1, kWFMSystemPAL = 2, kWFMSystemHD = 3 };

struct WaveformParams {
  TKImage* target;       // picture drawn into
  const TKRect* rect;    // rectangle drawn into (already inset); null: the whole target
  const uint8_t* pixels; // source pixels, 4 bytes each; null: no source
  int32_t width;         // source size (720 x 486 when there is none)
  int32_t height;
  int32_t rowBytes;
  uint32_t flags;
  int32_t traceMode;     // kWFMTrace...
  int32_t videoSystem;   // kWFMSystem...
  int32_t matrix;        // 0 Rec. 601, 1 Rec. 709, 2 SMPTE 240M
  int32_t lineStep;      // pen size
  int32_t fieldSkip;     // 0 every row, -1 only lineSelect, else rows round(height / fieldSkip) apart
  int32_t lineSelect;
  int32_t whiteLevel;    // 8-bit code values
  int32_t blackLevel;
  int32_t setupOffset;   // 200 when black carries a 7.5 IRE setup, else 0
  int32_t scale;         // 16.16 factor on the trace colours
  int32_t brightness;    // 16.16 factor on graticule colours and on each hit of the trace
};

// Draws graticule, labels and, with kWFMFlagTrace, the trace into the
// rectangle. Every trace write stays inside the trace area and the target;
// equal white and black levels draw no trace. Main thread only (the
// graticule picture and the counting strip are kept between draws).
// Returns 0.
int32_t DrawWaveformMonitor(const WaveformParams* params);

// Fills the parameter block from the preferences and the picture (none:
// graticule only) and draws into rect of target (null: all of it), inset by
// 1.6% of its width. The first true mode flag picks trace modes 2 to 6, else
// mode 1; chroma selects the YC waveform.
void DrawWaveformPane(TKImage* target, const TKRect* rect, TKImage* picture, bool chroma, bool mode2, bool mode3,
                      bool mode4, bool mode5, bool mode6);
