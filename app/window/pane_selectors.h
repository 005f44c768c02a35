// The two pane selectors of the main window: the image views of the frame
// ("Result", "Source", "Reference", "Split Source", "Split Ref", "Luma
// Ranges") and the analysis displays ("Combo", "Reference", the seven
// waveform monitors, "Vectorscope", "Histograms", "Tone Curve", "Gallery").
// Each item holds an image pane (the gallery its control) with a transport
// bar, and each selector starts on the choice kept in the preferences.
#pragma once

#include <cstdint>

#include "platform/status.h"
#include "platform/ui/ui_types.h"

struct MainWindowGeometry;
struct VFTabEntry;
struct TKControl;
struct TKWindow;

extern TKControl* gImagePaneTabs;
extern TKControl* gAnalysisPaneTabs;
// The gallery's control in the analysis selector (none until it is built).
extern TKControl* gGalleryControl;
// The transport bar under each image view (item order) and under the
// analysis selector's reference pane.
extern TKControl* gImageTransportBars[6];
extern TKControl* gReferenceTransportBar;

// The image views' tabs, in order (the first selected).
extern const VFTabEntry kImageViews[6];

// Transport bar parts of each image view.
extern const uint32_t kImageViewTransportParts[6];

// The selectors, in the window's root control, placed by the geometry.
QVStatus BuildImagePaneTabs(TKWindow* window, TKControl* root, const MainWindowGeometry& geometry);
QVStatus BuildAnalysisPaneTabs(TKWindow* window, TKControl* root, const MainWindowGeometry& geometry);

// An image pane over paneRect in content, tracking the mouse, with a
// transport bar of those parts over barRect driving it (the bar takes the
// next control number); outBar may be null.
QVStatus CreateImagePaneWithBar(TKWindow* window, TKControl* content, const TKRect& paneRect, const TKRect& barRect,
                                uint32_t parts, TKControl** outPane, TKControl** outBar);
// The pane shows through the primary preview LUT of the preferences.
void UsePrimaryPreviewLUT(TKControl* pane);

// The selection kept in the preferences (1-based), as an item index; -1
// when it names no item, so that nothing is selected for it. The analysis
// selector never starts on the gallery.
int32_t RestoredImageViewItem(int32_t stored);
int32_t RestoredAnalysisItem(int32_t stored);

// Hands the pictures and the frames sampling reads to the image views, the
// reference pane and the large view (after the frames or pictures were
// made anew).
void SetMainWindowPanePictures();

// Forgets the selectors' controls (their window is going).
void ForgetPaneSelectors();
