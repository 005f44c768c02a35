#include "plugin/panel_events.h"

#include <algorithm>

#include "platform/host/host_signatures.h"
#include "plugin/params.h"
#include "plugin/settings_value.h"
#include "support/threads.h"

PanelEventScope::PanelEventScope(const HIInData* in, HIParamDef* params[], const VLGlobalData* globals) : in_(in) {
  if (in->sequence_data && VLGetHandleSize(in, in->sequence_data) >= kVLSeqDataSize)
    sequence_ = static_cast<VLSeqData*>(VLLockHandle(in, in->sequence_data));
  HIParamDef* settingsParam = VLParamById(params, globals, kVLParamIdSettings);
  if (!settingsParam || settingsParam->param_type != kHIParamArbitraryData ||
      VLEnsureWholeSettingsValue(in, &settingsParam->u.arb.value) != kHINoErr)
    return;
  settingsValue_ = settingsParam->u.arb.value;
  settings_ = static_cast<VL_SettingsStruct*>(VLLockHandle(in, settingsValue_));
  if (!settings_) settingsValue_ = nullptr;
}

PanelEventScope::~PanelEventScope() {
  if (settingsValue_) VLUnlockHandle(in_, settingsValue_);
  if (sequence_) VLUnlockHandle(in_, in_->sequence_data);
}

bool PanelOpenPort(const HIInData* in, const HIEventExtra* event, PPPort* port) {
  VLSuite suite(in->basic_suite, kHISuitePort, kHISuitePortVersion);
  const auto* portSuite = suite.get<HIPortSuite1>();
  HIPortPixels pixels{};
  if (!portSuite || !portSuite->get_port || portSuite->get_port(event->context, &pixels) != kHINoErr) return false;
  PPWrapPixels(port, pixels.pixels, pixels.width, pixels.height, pixels.row_pixels);
  return port->pixels != nullptr;
}

void PanelPortChanged(const HIInData* in, const HIEventExtra* event) {
  VLSuite suite(in->basic_suite, kHISuitePort, kHISuitePortVersion);
  const auto* portSuite = suite.get<HIPortSuite1>();
  if (portSuite && portSuite->port_changed) portSuite->port_changed(event->context);
}

HIPoint PanelEventPoint(const HIEventExtra* event) {
  HIPoint p = event->kind == kHIEventAdjustCursor ? event->u.adjust_cursor.screen_point : event->u.click.screen_point;
  return HIPoint{p.h - event->area.left, p.v - event->area.top};
}

uint32_t PanelEventModifiers(const HIEventExtra* event) {
  return event->kind == kHIEventAdjustCursor ? event->u.adjust_cursor.modifiers : event->u.click.modifiers;
}

bool PanelModifiersAskForMenu(uint32_t hostModifiers, uint32_t hostCreator) {
  if (hostCreator == kHIHostKeyGrip) return hostModifiers == 1;
  return (hostModifiers & 0xFF00u & kHIModifierControl) != 0;
}

bool PanelIsMenuClick(const HIEventExtra* event, uint32_t hostCreator) {
  return PanelModifiersAskForMenu(PanelEventModifiers(event), hostCreator) || (QVGetMouseButtons() & 2u) != 0 ||
         (QVGetKeyboardModifiers() & kHIModifierControl) != 0;
}

void PanelFlagSettingsChanged(HIParamDef* params[], const VLGlobalData* globals) {
  for (int32_t id : {int32_t(kVLParamIdSettings), int32_t(kVLParamIdVideoSystem)})
    if (HIParamDef* p = VLParamById(params, globals, id)) p->change_flags |= kHIChangeFlagChangedValue;
}

void PanelInvalidate(const HIInData* in, const HIEventExtra* event) {
  VLSuite app(in->basic_suite, kHISuiteApp, kHISuiteAppVersion);
  if (const auto* suite = app.get<HIAppSuite6>())
    if (suite->invalidate_custom_ui) suite->invalidate_custom_ui(event->context, nullptr);
}

uint32_t PanelPointCount(const VL_CurveControls& curve) {
  return std::clamp<uint32_t>(curve.spline.pointCount, 2, kVLCurveMaxPoints);
}

int32_t PanelValidSelection(int32_t selected, const VL_CurveControls& curve) {
  if (selected < 0 || uint32_t(selected) >= PanelPointCount(curve)) return -1;
  return selected;
}
