// Off-screen picture operations of the image views: erasing, plain copies,
// copies through the split mask, frames converted into pictures, and the
// updates-suspended picture.
#pragma once

#include <cstdint>

#include "core/frame_buffer.h"
#include "platform/status.h"
#include "platform/ui/ui_draw.h"

// Erases rect (the whole picture when none) with colour (black when none).
// A null picture is ignored.
void EraseGWorldRect(TKImage* target, const TKRect* rect, const TKColor* colour);
void EraseGWorld(TKImage* target, const TKRect* rect);

// Copies sourceRect of source into targetRect of target, scaled when the
// sizes differ. Transfer mode 64 (dithered) smooths a scaled copy; any other
// mode takes the nearest pixel. Returns 0.
enum : int16_t { kCopyModeSource = 0, kCopyModeDither = 64 };
QVStatus CopyGWorldRect(TKImage* source, TKImage* target, const TKRect& sourceRect, const TKRect& targetRect,
                        int16_t mode);

// Copies source onto target where the mask is black; white leaves target as
// it is. With no source the mask itself is copied through itself. Pictures of
// different sizes are combined over the part they share.
void CopyWithSplitMask(TKImage* source, TKImage* target, TKImage* mask);

// Converts a planar float frame into a picture of the same size ('BGRA',
// over the task pool). kQVErrParam when either is missing or the sizes differ.
QVStatus ConvertFrameToPicture(const FBFrameStruct* frame, TKImage* picture);

// The picture shown while live processing is suspended: black, a red frame
// a tenth of the size in from the edges, and picture 260 when one is registered.
constexpr int32_t kUpdatesSuspendedPictureID = 260;
void DrawUpdatesSuspended(TKImage* target);
