// The central update: every change of the correction ends in UpdatePreview,
// which rebuilds the processing tables, processes the source frame into the
// result frame, converts the frames into the pictures the panes show by view
// mode and draws the panes and the preview outputs. While Caps Lock is down
// processing is suspended and the panes show the suspended picture.
#pragma once

#include <cstdint>

#include "app/state/view_state.h"
#include "core/frame_buffer.h"
#include "core/settings_record.h"
#include "platform/status.h"

struct TKControl;
struct TKImage;

// Reprocesses and redraws. drawNow draws the panes at once; false only
// invalidates them for the window's next update.
void UpdatePreview(FBFrameStruct* source, FBFrameStruct* result, const VL_SettingsStruct* settings, bool drawNow);
// Converts by view mode and draws, without processing.
void RedrawImagePanes(bool drawNow);
// Draws (or invalidates) the panes of the set bits, in bit order.
void InvalidateImagePanes(ImagePaneMask mask, bool drawNow);

// Processes source into result with settings, rebuilding the tables only
// when they were not last built from a record with the same contents.
QVStatus ProcessFrameWithSettings(FBFrameStruct* source, FBFrameStruct* result, const VL_SettingsStruct* settings);
// ProcessFrameWithSettings, then shows the result in target.
QVStatus ProcessFrameIntoGWorld(FBFrameStruct* source, FBFrameStruct* result, TKImage* target,
                                const VL_SettingsStruct* settings, bool drawNow);
// Converts frame into target and draws the reference-image panes and the
// current pane; the result frame also feeds the preview outputs.
void ShowProcessedFrame(const FBFrameStruct* frame, TKImage* target, bool drawNow);

// Passes one colour through the correction of settings: red, green and blue
// are replaced by their processed values and *luma, when asked, by the
// processed fourth plane. All outputs are 0 when no frame can be made.
void ProcessColorSample(float* red, float* green, float* blue, float* luma, const VL_SettingsStruct* settings);

// The panes the window builder puts in place: one per mask bit, the extra
// image pane of layouts 1 and 3, and the two reference-image panes.
void SetViewPane(ImagePaneMask bit, TKControl* pane);
TKControl* GetViewPane(ImagePaneMask bit);
// The view pane that shows an image view mode (null for no such mode).
TKControl* GetModeViewPane(ImageViewMode mode);
void SetLayoutImagePane(int32_t layout, TKControl* pane);
TKControl* GetLayoutImagePane(int32_t layout);
void SetReferenceImagePane(int32_t slot, TKControl* pane);
TKControl* GetReferenceImagePane(int32_t slot);
// Forgets every pane (the window that held them is going).
void ClearViewPanes();
// Hands the pictures (and the frames sampling reads) to the panes in place,
// and gives them all the exchange's pixel aspect.
void SetViewPanePictures();
void SetViewPanesPixelAspect(float aspect);
// Switches the image views to a mode: the mode's pane becomes the current
// one and the only view pane shown, and the panes are redrawn.
void SetImageViewMode(ImageViewMode mode);
