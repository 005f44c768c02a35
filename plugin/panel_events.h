// What the panel's event handlers share: the event's scope (sequence data,
// the settings record of parameter 1, both locked for the event), the
// pointer relative to the parameter's area, the context-menu test, and the
// requests that tell the host something changed.
#pragma once

#include <cstdint>

#include "core/settings_record.h"
#include "platform/host/host_interface.h"
#include "platform/pixel_port.h"
#include "plugin/host_calls.h"
#include "plugin/plugin_data.h"

// Holds the sequence data and the settings value locked for one event.
// sequence() is null when the instance has no sequence data; settings() is
// null when parameter 1 has no whole record that could be had.
class PanelEventScope {
 public:
  PanelEventScope(const HIInData* in, HIParamDef* params[], const VLGlobalData* globals);
  ~PanelEventScope();
  PanelEventScope(const PanelEventScope&) = delete;
  PanelEventScope& operator=(const PanelEventScope&) = delete;
  VLSeqData* sequence() const { return sequence_; }
  VL_SettingsStruct* settings() const { return settings_; }

 private:
  const HIInData* in_;
  HIHandle settingsValue_ = nullptr;  // the handle locked, unlocked as it was
  VLSeqData* sequence_ = nullptr;
  VL_SettingsStruct* settings_ = nullptr;
};

// The event's mouse position relative to the parameter's area.
HIPoint PanelEventPoint(const HIEventExtra* event);
// The host's modifier word of a click, drag or adjust-cursor event.
uint32_t PanelEventModifiers(const HIEventExtra* event);
// True when the host's modifier word asks for the context menu.
bool PanelModifiersAskForMenu(uint32_t hostModifiers, uint32_t hostCreator);
// A click is a menu click: the modifier word, the secondary button or the
// control key.
bool PanelIsMenuClick(const HIEventExtra* event, uint32_t hostCreator);

// Parameters 1 and 115 flagged changed.
void PanelFlagSettingsChanged(HIParamDef* params[], const VLGlobalData* globals);
// Asks "PF AE App Suite" 6 to redraw the whole custom interface of the
// event's context.
void PanelInvalidate(const HIInData* in, const HIEventExtra* event);

// The 32-bit build draws its panel into the panel's pixels through the
// host's port; the 64-bit build through the host's drawing suites.
constexpr bool kPanelDrawsThroughPort = sizeof(void*) == 4;
// The pixels of a draw event's panel as a port; false when the host gives none.
bool PanelOpenPort(const HIInData* in, const HIEventExtra* event, PPPort* port);
// Tells the host the pixels were written.
void PanelPortChanged(const HIInData* in, const HIEventExtra* event);

// The selected point of a curve, or -1 when the index is not a point of the
// curve (a curve's point count is held to 2..16 first).
int32_t PanelValidSelection(int32_t selected, const VL_CurveControls& curve);
// A point curve's count held to 2..16.
uint32_t PanelPointCount(const VL_CurveControls& curve);
