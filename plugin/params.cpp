#include "plugin/params.h"

#include <cstdio>
#include <cstring>

#include "platform/host/host_signatures.h"
#include "plugin/host_calls.h"
#include "plugin/param_table.h"
#include "plugin/plugin_preferences.h"
#include "plugin/render.h"
#include "plugin/settings_value.h"

namespace {

constexpr uint32_t kHueOffsetValueSize = 52;
constexpr uint32_t kCurvesValueSize = 16432;

void flag(HIParamDef* p) {
  if (p) p->change_flags |= kHIChangeFlagChangedValue;
}

double fieldValue(const VL_SettingsStruct* s, const VLParamInfo& desc) {
  const uint8_t* p = reinterpret_cast<const uint8_t*>(s) + desc.settingsOffset;
  if (desc.kind == kHIParamFloatSlider) {
    float f;
    std::memcpy(&f, p, 4);
    return f;
  }
  int32_t i;
  std::memcpy(&i, p, 4);
  return i;
}

void storeField(VL_SettingsStruct* s, const VLParamInfo& desc, const HIParamDef& p) {
  uint8_t* field = reinterpret_cast<uint8_t*>(s) + desc.settingsOffset;
  if (desc.kind == kHIParamFloatSlider) {
    float f = float(p.u.fs.value);
    std::memcpy(field, &f, 4);
  } else {
    int32_t i = desc.kind == kHIParamCheckbox ? p.u.cb.value : p.u.pd.value;
    std::memcpy(field, &i, 4);
  }
}

double paramValue(const HIParamDef& p) {
  if (p.param_type == kHIParamFloatSlider) return p.u.fs.value;
  if (p.param_type == kHIParamCheckbox) return p.u.cb.value;
  if (p.param_type == kHIParamPopup) return p.u.pd.value;
  return 0;
}

void setParamValue(HIParamDef* p, double v) {
  if (p->param_type == kHIParamFloatSlider) p->u.fs.value = v;
  if (p->param_type == kHIParamCheckbox) p->u.cb.value = int32_t(v);
  if (p->param_type == kHIParamPopup) p->u.pd.value = int32_t(v);
}

int32_t indexOf(const VLGlobalData* g, int32_t id) {
  if (!g || id < 0 || id >= kVLParamCount) return -1;
  uint32_t index = g->idToIndex[id];
  return index < uint32_t(kVLParamCount) ? int32_t(index) : -1;
}

// Which enables a changed slider switches on: HSL range r, or RGB range r.
struct EnableRule {
  int32_t firstId, lastId, extraId;  // extraId: the vibrance slider of the range, -1 none
  bool hsl;
  int32_t range;
};
const EnableRule kEnableRules[] = {
    {5, 12, 119, true, 0},   {15, 22, 120, true, 1},  {25, 32, 121, true, 2},  {35, 42, 122, true, 3},
    {48, 59, -1, false, 0},  {62, 73, -1, false, 1},  {76, 87, -1, false, 2},  {90, 101, -1, false, 3},
};

}  // namespace

HIParamDef* VLParamById(HIParamDef* const params[], const VLGlobalData* globals, int32_t id) {
  int32_t index = indexOf(globals, id);
  if (!params || index < 0) return nullptr;
  return params[index];
}

HIError VLParamsSetup(const HIInData* in, HIOutData* out, VLGlobalData* globals) {
  globals->indexToId[0] = 0;
  globals->idToIndex[0] = 0;
  if (!in->utils || !in->utils->add_param) return kHIErrInvalidCallback;
  HIHandle settings = VLNewClearedHandle(in, kVLSettingsByteCount);
  if (!settings) return kHIErrOutOfMemory;
  CheckPreferencesValidity();
  uint32_t limiterDefault = 0, videoSystem = 1;
  {
    VLLockedHandle locked(in, settings);
    auto* record = static_cast<VL_SettingsStruct*>(locked.data());
    VL_SetDefaultControlValues(record, kVLMaskAll);
    limiterDefault = record->limiter_enable;
    videoSystem = record->limiter.limiter_system;
  }
  const VLParamInfo* table = VLParamTable();
  for (int32_t i = 0; i < kVLParamCount; ++i) {
    const VLParamInfo& desc = table[i];
    HIParamDef def{};
    def.uu_id = desc.id;
    def.param_type = desc.kind;
    const char* name = desc.name;
    if (desc.id == 2 && globals->hostCreator == kHIHostATve) name = "";
    std::snprintf(def.name, sizeof def.name, "%s", name);
    def.flags = desc.flags;
    def.ui_flags = desc.uiFlags;
    def.ui_width = desc.uiWidth;
    def.ui_height = desc.uiHeight;
    if (desc.id == kVLParamIdSettings && globals->hostCreator == kHIHostPremiere) def.ui_height = 55;
    switch (desc.kind) {
      case kHIParamFloatSlider:
        def.u.fs.value = def.u.fs.dephault = desc.dephault;
        def.u.fs.valid_min = desc.validMin;
        def.u.fs.valid_max = desc.validMax;
        def.u.fs.slider_min = desc.sliderMin;
        def.u.fs.slider_max = desc.sliderMax;
        def.u.fs.precision = desc.precision;
        def.u.fs.curve_tolerance = 0.05f;
        break;
      case kHIParamCheckbox: {
        int32_t d = desc.id == kVLParamIdEnableLimiter ? int32_t(limiterDefault) : int32_t(desc.dephault);
        def.u.cb.value = def.u.cb.dephault = d;
        def.u.cb.label = "";
        break;
      }
      case kHIParamPopup: {
        int32_t d = desc.id == kVLParamIdVideoSystem ? int32_t(videoSystem) : int32_t(desc.dephault);
        def.u.pd.value = def.u.pd.dephault = d;
        def.u.pd.num_choices = desc.choiceCount;
        def.u.pd.names = desc.choices;
        break;
      }
      case kHIParamArbitraryData: {
        def.u.arb.id = desc.arbId;
        HIHandle value = settings;
        if (desc.id == kVLParamIdHueOffset) value = VLNewClearedHandle(in, kHueOffsetValueSize);
        if (desc.id == kVLParamIdCurves) value = VLNewClearedHandle(in, kCurvesValueSize);
        if (!value) return kHIErrOutOfMemory;
        def.u.arb.dephault = value;
        break;
      }
      default:
        break;
    }
    HIError err = in->utils->add_param(in->effect_ref, -1, &def);
    if (err) {
      if (desc.kind == kHIParamArbitraryData) VLDisposeHandle(in, def.u.arb.dephault);
      if (desc.id < kVLParamIdSettings) VLDisposeHandle(in, settings);
      return err;
    }
    globals->indexToId[i] = uint32_t(desc.id);
    if (desc.id >= 0 && desc.id < kVLParamCount) globals->idToIndex[desc.id] = uint32_t(i);
    if (desc.id == kVLParamIdSettings && in->utils->register_ui) {
      HICustomUIInfo ui{};
      ui.events = kHICustomUIEventsEffectPanel;
      in->utils->register_ui(in->effect_ref, &ui);
    }
  }
  out->num_params = kVLParamCount;
  return kHINoErr;
}

void UpdateVLSettingsFromControls(VL_SettingsStruct* settings, HIParamDef* const params[],
                                  const VLGlobalData* globals) {
  if (!settings || !params) return;
  const VLParamInfo* table = VLParamTable();
  for (int32_t i = 0; i < kVLParamCount; ++i) {
    if (table[i].settingsOffset < 0) continue;
    HIParamDef* p = VLParamById(params, globals, table[i].id);
    if (p && p->param_type == table[i].kind) storeField(settings, table[i], *p);
  }
}

void UpdateControlsFromVLSettings(const VL_SettingsStruct* settings, HIParamDef* const params[],
                                  const VLGlobalData* globals) {
  if (!settings || !params) return;
  const VLParamInfo* table = VLParamTable();
  for (int32_t i = 0; i < kVLParamCount; ++i) {
    if (table[i].settingsOffset < 0) continue;
    HIParamDef* p = VLParamById(params, globals, table[i].id);
    if (!p || p->param_type != table[i].kind) continue;
    double field = fieldValue(settings, table[i]);
    if (paramValue(*p) == field) continue;  // a NaN never compares equal, so it is always written
    setParamValue(p, field);
    flag(p);
  }
}

HIError VLReadControlsByCheckout(const HIInData* in, VL_SettingsStruct* settings, const VLGlobalData* globals) {
  if (!in->utils || !in->utils->checkout_param || !in->utils->checkin_param) return kHIErrInvalidCallback;
  const VLParamInfo* table = VLParamTable();
  for (int32_t i = 0; i < kVLParamCount; ++i) {
    if (table[i].settingsOffset < 0) continue;
    int32_t index = indexOf(globals, table[i].id);
    if (index < 0) continue;
    HIParamDef p{};
    HIError err = in->utils->checkout_param(in->effect_ref, index, in->current_time, in->time_step,
                                            in->time_scale, &p);
    if (err) return err;
    if (p.param_type == table[i].kind) storeField(settings, table[i], p);
    in->utils->checkin_param(in->effect_ref, &p);
  }
  return kHINoErr;
}

HIError VLUserChangedParam(const HIInData* in, HIOutData*, HIParamDef* const params[], VLGlobalData* globals,
                           const HIUserChangedParamExtra* extra) {
  if (!extra || !params || extra->param_index <= 0 || extra->param_index >= kVLParamCount)
    return kHINoErr;
  const int32_t id = int32_t(globals->indexToId[extra->param_index]);
  HIParamDef* settingsParam = VLParamById(params, globals, kVLParamIdSettings);
  if (!settingsParam || settingsParam->param_type != kHIParamArbitraryData) return kHINoErr;
  // A value shorter than a whole record is replaced by a default record
  // before anything is written into it.
  HIError err = VLEnsureWholeSettingsValue(in, &settingsParam->u.arb.value);
  if (err) return err;
  VLLockedHandle locked(in, settingsParam->u.arb.value);
  auto* s = static_cast<VL_SettingsStruct*>(locked.data());
  if (!s) return kHIErrOutOfMemory;
  HIParamDef* videoSystem = VLParamById(params, globals, kVLParamIdVideoSystem);
  HIParamDef* enableLimiter = VLParamById(params, globals, kVLParamIdEnableLimiter);

  for (const EnableRule& rule : kEnableRules) {
    if ((id >= rule.firstId && id <= rule.lastId) || id == rule.extraId) {
      if (rule.hsl) {
        s->hslEnable = 1;
        s->hslControlsEnable = 1;
        s->hsl[rule.range].enable = 1;
      } else {
        s->rgbEnable = 1;
        s->rgb[rule.range].enable = 1;
      }
      flag(settingsParam);
      flag(videoSystem);
    }
  }
  if (id == kVLParamIdVideoSystem) {
    flag(settingsParam);
    flag(videoSystem);
  }
  if (id >= 107 && id <= 114) {
    s->limiter_enable = 1;
    flag(settingsParam);
    if (enableLimiter && enableLimiter->param_type == kHIParamCheckbox) {
      enableLimiter->u.cb.value = 1;
      flag(enableLimiter);
    }
  }
  if (id == kVLParamIdEnableLimiter && enableLimiter && enableLimiter->param_type == kHIParamCheckbox) {
    s->limiter_enable = uint32_t(enableLimiter->u.cb.value);
    flag(settingsParam);
    flag(enableLimiter);
  }
  HIParamDef* preview = VLParamById(params, globals, kVLParamIdLimiterPreview);
  if (id == kVLParamIdLimiterPreview && preview && preview->param_type == kHIParamCheckbox) {
    s->limiter_preview = uint32_t(preview->u.cb.value);
    flag(settingsParam);
    flag(preview);
    if (s->limiter_preview && enableLimiter && enableLimiter->param_type == kHIParamCheckbox) {
      s->limiter_enable = 1;
      enableLimiter->u.cb.value = 1;
      flag(enableLimiter);
    }
  }
  if (globals->hasWorldSuite) {
    if (VL_SettingsNeedByteSwap(s)) VL_ByteSwapSettings(s);
    UpdateVLSettingsFromControls(s, params, globals);
    return CheckProcessingTableValidity(in, in->sequence_data, s, globals);
  }
  return kHINoErr;
}
