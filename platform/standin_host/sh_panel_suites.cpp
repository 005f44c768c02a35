// The panel's suites that need no drawing library: the active panel, undo
// groups, "PF AE App Suite" 6 (colours and redraw requests) and "PF Port
// Suite" 1 (the panel picture's pixels, for an effect that draws them itself).
#include <cstring>

#include "platform/standin_host/sh_panel_internal.h"

namespace {

HIError backgroundColour(uint16_t rgb[3]) {
  SHPanel* panel = gSHActivePanel.load();
  if (!panel || !rgb) return kHIErrBadCallbackParam;
  std::memcpy(rgb, panel->background, sizeof panel->background);
  return kHINoErr;
}
HIError textColour(uint16_t rgb[3]) {
  SHPanel* panel = gSHActivePanel.load();
  if (!panel || !rgb) return kHIErrBadCallbackParam;
  std::memcpy(rgb, panel->text, sizeof panel->text);
  return kHINoErr;
}
HIError invalidate(void*, const HIRect*) {
  if (SHPanel* panel = gSHActivePanel.load()) ++panel->invalidations;
  return kHINoErr;
}

// Only inside a draw event (the context carries a drawing) are there pixels.
TKImage* Picture(const HIEventContext* context) {
  SHPanel* panel = gSHActivePanel.load();
  if (!panel || !context || !context->host_context || !panel->picture) return nullptr;
  return panel->picture.get();
}
HIError getPort(const HIEventContext* context, HIPortPixels* port) {
  TKImage* picture = Picture(context);
  if (!picture || !port) return kHIErrBadCallbackParam;
  port->pixels = reinterpret_cast<uint32_t*>(TKImagePixels(picture));
  port->width = TKImageWidth(picture);
  port->height = TKImageHeight(picture);
  port->row_pixels = TKImageRowBytes(picture) / 4;
  return kHINoErr;
}
HIError portChanged(const HIEventContext* context) {
  TKImage* picture = Picture(context);
  if (!picture) return kHIErrBadCallbackParam;
  TKImageMarkDirty(picture);
  return kHINoErr;
}

}  // namespace

std::atomic<SHPanel*> gSHActivePanel{nullptr};

const HIAppSuite6 kSHAppSuite = {backgroundColour, textColour, invalidate};
const HIPortSuite1 kSHPortSuite = {getPort, portChanged};

void SHPanelNoteUndo(const char* name) {
  if (SHPanel* panel = gSHActivePanel.load()) panel->undo_log.push_back(name ? std::string("begin ") + name : "end");
}
