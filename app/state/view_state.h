// The picture side of the grading application's working state: the
// correction being edited, the exchange's frames, the off-screen pictures
// the panes show and the view selections. Every control, pane and command
// of the application reads and writes these; all of them live on the main
// thread, in the state object (app_state.h).
#pragma once

#include <cstdint>

#include "core/frame_buffer.h"
#include "core/settings_record.h"

struct TKImage;
struct TKControl;

// The correction every control edits, and a record of defaults (the
// Option-click values of the sliders).
extern VL_SettingsStruct& gUISettings;
extern VL_SettingsStruct& gUIDefaultSettings;

// Frames of the exchange, planar float (format 203): the input after input
// linearization, the processed result, and a copy of the input kept for the
// reference slot.
extern FBFrameStruct*& gSourceFrame;
extern FBFrameStruct*& gResultFrame;
extern FBFrameStruct*& gReferenceFrame;

// Off-screen 32-bit pictures ('BGRA' in memory) at the frame's size.
extern TKImage*& gResultGWorld;     // the result
extern TKImage*& gSourceGWorld;     // the source
extern TKImage*& gReferenceGWorld;  // the reference image
extern TKImage*& gSplitGWorld;      // split and luma-range views
extern TKImage*& gSplitMaskGWorld;  // split mask: black where the source or reference shows, white elsewhere
extern TKImage*& gSecondaryGWorld;  // the secondary monitor's picture (none until one is open)

// What the image views show.
enum ImageViewMode : int32_t {
  kImageViewResult = 0,
  kImageViewSource = 1,
  kImageViewReference = 2,
  kImageViewSplitSource = 3,
  kImageViewSplitRef = 4,
  kImageViewLumaRanges = 5,
};

// The analysis pane selector's items.
enum AnalysisPaneKind : int32_t {
  kAnalysisCombo = 0,
  kAnalysisReference = 1,
  kAnalysisLumaWFM = 2,
  kAnalysisYCWFM = 3,
  kAnalysisRGBWFM = 4,
  kAnalysisGBRWFM = 5,
  kAnalysisYRGBWFM = 6,
  kAnalysisYCbCrWFM = 7,
  kAnalysisOverlayWFM = 8,
  kAnalysisVectorscope = 9,
  kAnalysisHistograms = 10,
  kAnalysisToneCurve = 11,
  kAnalysisGallery = 12,
};

// The correction tabs and levels channels.
enum : int32_t {
  kCorrectionTabHSL = 0,
  kCorrectionTabRGB = 1,
  kCorrectionTabCMY = 2,
  kCorrectionTabYCbCr = 3,
  kCorrectionTabCurves = 4,
  kCorrectionTabLevels = 5,
  kCorrectionTabLumaRange = 6,
  kCorrectionTabSecondary = 7,
  kCorrectionTabLimiting = 8,
};
enum : int32_t { kLevelsChannelMaster = 1, kLevelsChannelRed = 2, kLevelsChannelGreen = 3, kLevelsChannelBlue = 4 };

extern ImageViewMode& gImageViewMode;
extern AnalysisPaneKind& gAnalysisPaneKind;
extern int32_t& gCorrectionTab;
extern int32_t& gLevelsChannel;
extern int32_t& gPaneLayout;  // 1, 2 (analysis panes) or 3
// The pane of the current view mode.
extern TKControl*& gCurrentImagePane;
// True while the last UpdatePreview found Caps Lock down.
extern bool& gUpdatesSuspended;

// The panes one redraw touches, one bit each.
using ImagePaneMask = uint32_t;
enum : ImagePaneMask {
  kPaneSource = 0x1,
  kPaneResult = 0x2,
  kPaneReference = 0x4,
  kPaneSplitSource = 0x8,
  kPaneSplitRef = 0x10,
  kPaneLumaRanges = 0x20,
  kPaneComboAnalysis = 0x40,
  kPaneReferenceAnalysis = 0x80,
  kPaneLumaWFM = 0x100,
  kPaneYCWFM = 0x200,
  kPaneRGBWFM = 0x400,
  kPaneGBRWFM = 0x800,
  kPaneYRGBWFM = 0x1000,
  kPaneYCbCrWFM = 0x2000,
  kPaneOverlayWFM = 0x4000,
  kPaneVectorscope = 0x8000,
  kPaneHistograms = 0x10000,
  kPaneToneCurve = 0x20000,
};
constexpr int32_t kImagePaneMaskBits = 18;
