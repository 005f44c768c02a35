// The preview outputs fed after every redraw: the secondary monitor (a
// borderless window covering a second display), the video output device
// chosen in the preferences, and the external-preview library; and the two
// display-LUT drawing routines the image panes use. All of it runs on the
// main thread.
#pragma once

#include <cstdint>

#include "platform/fourcc.h"
#include "platform/status.h"
#include "platform/ui/ui_draw.h"

struct TKControl;
struct TKWindow;

constexpr uint32_t kPreviewDeviceNone = QVFourCC("NoNE");
constexpr uint32_t kPreviewDeviceExternal = QVFourCC("GlOW");

// Display-LUT drawing. DrawGWorldThroughLUT copies sourceRect of source
// into a temporary picture, applies the 768-byte LUT (256 red, 256 green,
// 256 blue) and draws it into targetRect of the context, smoothed when
// `smooth`; with no LUT it draws straight. When the temporary picture
// cannot be made nothing is drawn and kQVErrMemory returned.
QVStatus DrawGWorldThroughLUT(TKImage* source, TKContext* target, const TKRect& sourceRect, const TKRect& targetRect,
                              const uint8_t* lut, bool smooth);
// Scales sourceRect of source into targetRect of the picture target (high
// quality), through the LUT when one is given. Without memory for the
// LUT's temporary picture it draws straight, without the LUT, and returns
// kQVErrMemory.
QVStatus DrawGWorldScaled(TKImage* source, TKImage* target, const TKRect& sourceRect, const TKRect& targetRect,
                          const uint8_t* lut);

// Where ConvertGWorldForVideoOutput puts the picture: the part of the source
// used, the rectangle of the target it goes to (centred; it may reach past
// the target, which clips it), the part of the target that may show
// picture (the rest is black), and whether it is only moved, not scaled.
struct VideoOutputPlacement {
  TKRect source{};
  TKRect destination{};
  TKRect targetArea{};
  bool translateOnly = true;
};
// The placement for a source of sw x sh into a target of tw x th by the
// scaling word (1 none, 2 stretch, 3 fit, 4 fit with pixel-aspect
// correction, 5 pixel-aspect correction only) and the aspect word (1 none,
// 2 widen x 4/3, 3 letterbox x 3/4 vertically, 4 x 8/7 across and x 6/7
// down, 5 pillarbox: the whole picture in the centre three quarters of the
// width). Heights 1 to 6 lines apart are met by trimming the taller side,
// 2 lines off the top and the rest off the bottom, never past its edges.
VideoOutputPlacement ComputeVideoOutputPlacement(int32_t sw, int32_t sh, int32_t tw, int32_t th, bool convertAspect,
                                                 bool noScaling, int32_t scalingWord, int32_t aspectWord);
// Draws source into target as the preferences' scaling and aspect words
// say, black where no picture falls, then applies the LUT (when given) to
// every pixel of target.
void ConvertGWorldForVideoOutput(TKImage* source, TKImage* target, bool convertAspect, bool noScaling,
                                 const uint8_t* lut);

// Video output: nothing for 'NoNE' and 'GlOW'. Start stops a running output
// first; a device that is missing, refuses the display mode or fails to
// begin twice (25 ticks apart) leaves no output and no message.
void StartVideoOutput(uint32_t device);
void StopVideoOutput(uint32_t device);
// Sends the picture of the current view (the result, source, reference or
// split picture) to the running output.
void UpdateVideoOutputFrame(uint32_t device);
bool VideoOutputIsOpen();
// The running output's picture size (0 x 0 when none), and its staging
// picture, into which a rapid preview movie plays.
void VideoOutputSize(int32_t* width, int32_t* height);
TKImage* VideoOutputPicture();
// Shows the staging picture as it now is on the running output.
void VideoOutputShowPicture();
// Marks that the host was asked to toggle its own video preview for this
// output; stopping the output toggles it back through the hook.
void VideoOutputNoteHostPreviewToggled();

// Secondary monitor. Open takes the n-th display (1-based, the system's
// order) unless it is the main display; with none, the pane is cleared and
// nothing opens. Open with 0 closes.
void OpenSecondaryPreviewWindow(int32_t display);
void CloseSecondaryPreviewWindow();
void UpdateSecondaryPreview(bool drawNow);
// Shows or hides the open window without closing it.
void ShowSecondaryPreviewWindow(bool shown);
TKWindow* SecondaryPreviewWindow();
TKControl* SecondaryPreviewPane();

// The external-preview library's connection (see platform/external_preview.h):
// availability (the access count kept on the first call that finds the
// library), opening at the start of an exchange (a new connection, or the
// output switched on again over one kept open), closing at its end (output
// off while the connection is kept, else closed), the frame after each
// redraw, and the end at quit.
bool ExternalPreviewAvailable();
void OpenExternalPreview();
void CloseExternalPreview();
void OutputExternalPreviewFrame();
void ExternalPreviewQuit();
bool ExternalPreviewConnected();

// Puts the preview outputs' functions into the hook tables.
void InstallPreviewOutputHooks();
