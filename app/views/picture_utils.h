// Two picture utilities shared by the scopes and the media code: a 16-bit to
// 8-bit picture converter and a per-pixel walk over a picture.
#pragma once

#include <cstdint>

#include "platform/status.h"
#include "platform/ui/ui_draw.h"

// Makes a new 32-bit picture of the bounds' size in *outPicture and fills it
// from source pixels of four 16-bit channels (8 bytes a pixel, full scale
// 32768, rows sourceRowBytes apart). Channel k becomes byte k of the
// destination pixel, so the channel order is kept. A channel v becomes
// trunc(v * 0.007782101f) in single precision, saturated at 255. Returns
// kQVErrParam for bad arguments and kQVErrMemory when the picture cannot be
// made; *outPicture is then null and nothing is converted.
QVStatus Convert16BitPixelsToGWorld(TKImage** outPicture, const TKRect& bounds, const void* sourcePixels,
                                    int32_t sourceRowBytes);

// Calls proc once for every pixel of the picture, rows top to bottom and
// pixels left to right, with the pixel's address, the format 'BGRA' and the
// reference value. An empty or missing picture calls nothing.
using ScopePixelProc = void (*)(void* pixel, uint32_t pixelFormat, void* refCon);
void IterateGWorldPixels(TKImage* picture, ScopePixelProc proc, void* refCon);
