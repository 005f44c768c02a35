// A scope's backdrop (graticule, targets, labels) drawn once into a picture
// of its own and copied under every trace, redrawn only when something it
// shows changes; and the plain fills that scopes draw on. Main thread only.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/ui/ui_draw.h"

struct ScopeBackdrop {
  TKImage* image = nullptr;
  std::vector<int64_t> key;  // everything the picture depends on
  ~ScopeBackdrop();
};

// Makes the backdrop width x height and remembers the key. True when it must
// be drawn afresh (new size or key, or first use); false when the picture
// already shows this key. On failure to make the picture, image is null.
bool ScopeBackdropPrepare(ScopeBackdrop* backdrop, int32_t width, int32_t height, std::vector<int64_t> key);

// Copies the backdrop with its top-left corner at (left, top) of the target,
// clipped to the target.
void ScopeBackdropCopy(const ScopeBackdrop* backdrop, TKImage* target, int32_t left, int32_t top);

// Sets every pixel of rect within the target to one value (32-bit words as
// the picture holds them: 0xFF000000 is opaque black), over the task pool
// when the rectangle is large.
void ScopeFillRect(TKImage* target, const TKRect& rect, uint32_t pixel);
inline constexpr uint32_t kScopeBlackPixel = 0xFF000000u;
