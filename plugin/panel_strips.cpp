// Both button strips: the state machine of clicks, drags and pointer
// movement, the drawing, the panel colours per host, and the actions.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/auto_levels.h"
#include "core/engine_lock.h"
#include "platform/host/host_signatures.h"
#include "platform/ui/ui_draw.h"
#include "plugin/drawbot.h"
#include "plugin/host_calls.h"
#include "plugin/panel_events.h"
#include "plugin/panel_strips.h"
#include "plugin/params.h"
#include "plugin/plugin_preferences.h"
#include "plugin/port_strips.h"
#include "plugin/render.h"
#include "plugin/ui_exchange.h"
#include "settings/preset_file.h"
#include "settings/prefs.h"
#include "support/alerts.h"

namespace {

enum class Action { full, load, reset, about, autoColor, autoExposure };

struct Button {
  const char* picture;  // "<picture> Button Up.png" and so on
  int32_t x, y;         // drawn there; the hit area runs to right, bottom
  int32_t right, bottom;
  Action action;
};

const Button kButtonBar[] = {{"Full", 5, 29, 86, 46, Action::full},
                             {"Load", 94, 29, 168, 46, Action::load},
                             {"Reset", 176, 29, 219, 46, Action::reset},
                             {"About", 227, 29, 277, 46, Action::about}};
const Button kLevelsStrip[] = {{"Auto Color", 5, 0, 93, 17, Action::autoColor},
                               {"Auto Exposure", 101, 0, 189, 17, Action::autoExposure}};

struct Strip {
  const Button* buttons;
  int32_t count;
  bool hasLogo;
  bool redrawInPremiere;
  const char* noSequenceMessage;
  VLStripState s;
};

Strip gButtonBar = {kButtonBar, 4, true, false, "No sequence data in HandleButtonUIEvents\n", {{0, 0, 0, 0}, -1, false}};
Strip gLevelsStrip = {kLevelsStrip, 2, false, true, "No sequence data in HandleLevelsControlEvents\n",
                      {{0, 0, 0, 0}, -1, false}};

const char* const kStateNames[3] = {"Up", "Down", "Rollover"};

bool ActsAtOnce(uint32_t host) { return host == kHIHostBRed || host == kHIHostATve || host == kHIHostCbst; }

int32_t ButtonAt(const Strip& strip, HIPoint p) {
  for (int32_t i = 0; i < strip.count; ++i) {
    const Button& b = strip.buttons[i];
    if (p.h >= b.x && p.h <= b.right && p.v >= b.y && p.v <= b.bottom) return i;
  }
  return -1;
}

// The levels sections set from the frame at the current time.
void AutoCorrect(const HIInData* in, VLGlobalData* globals, VL_SettingsStruct* settings, bool colour) {
  FBFrameStruct* frame = GetCurrentTimeFrameBuffer(in, globals);
  if (!frame) return;
  CheckPreferencesValidity();  // the "Auto Luma Trim" preference sets how much may clip
  {
    VL_EngineLockGuard engine;
    if (colour) {
      HistogramEqualizationRGB(frame, settings);
      HistogramMeanMatchRGB(frame, settings);
    } else {
      HistogramEqualizationLuma(frame, settings, gPrefsSettings.autoLumaTrim);
    }
  }
  settings->levelsEnable = 1;
  if (colour) {
    for (int c : {kVLLevelsRed, kVLLevelsGreen, kVLLevelsBlue}) settings->levels[c].enable = 1;
  } else {
    settings->levels[kVLLevelsMaster].enable = 1;
  }
  FBDisposeFrameBuffer(frame);
}

void Reset(VL_SettingsStruct* settings) {
  CheckPreferencesValidity();
  VL_SetDefaultControlValues(settings, kVLMaskAll);
}

HIError RunAction(Action action, const HIInData* in, HIOutData* out, HIParamDef* params[], HIWorld* output,
                  HIEventExtra* event, VLGlobalData* globals, VL_SettingsStruct* settings) {
  switch (action) {
    case Action::full:
      return HandleDialog(in, out, params, output, event, globals);
    case Action::about:
      DisplayAboutBoxCocoa();
      out->return_msg[0] = '\0';
      return kHINoErr;
    case Action::load:
      // Cancelled, unreadable or rejected (the loader says so): the
      // correction is as it was and the host has nothing new to hear.
      if (CCLoadCurrentSettings(settings) != kQVNoErr) return kHINoErr;
      break;
    case Action::reset:
      Reset(settings);
      break;
    case Action::autoColor:
    case Action::autoExposure:
      AutoCorrect(in, globals, settings, action == Action::autoColor);
      break;
  }
  UpdateControlsFromVLSettings(settings, params, globals);
  PanelFlagSettingsChanged(params, globals);
  out->out_flags |= kHIOutFlagForceRerender;
  return kHINoErr;
}

// The 32-bit build's strip: the same background, logo and buttons drawn
// through the host's port.
void DrawStripThroughPort(const Strip& strip, const VLUIColors& colors, const HIInData* in,
                          const HIEventExtra* event) {
  PPPort port;
  if (!PanelOpenPort(in, event, &port)) return;
  const HIRect& a = event->area;
  port.fore = PPPixelOf(PPColor{colors.background[0], colors.background[1], colors.background[2]});
  PPPaintRect(&port, PPRect{a.left, a.top, a.right, a.bottom});
  if (strip.hasLogo) PortDrawLogo(&port, a.left, a.top, colors.lightText);
  for (int32_t i = 0; i < strip.count; ++i) {
    const Button& b = strip.buttons[i];
    PortDrawStripButton(&port, b.picture, strip.s.state[i], a.left + b.x, a.top + b.y);
  }
  PanelPortChanged(in, event);
}

void DrawStrip(const Strip& strip, const HIInData* in, const VLGlobalData* globals, const HIEventExtra* event) {
  VLUIColors colors;
  GetUIColors(globals, in, &colors);
  if (kPanelDrawsThroughPort) {
    DrawStripThroughPort(strip, colors, in, event);
    return;
  }
  {
    DrawbotContext draw(in->basic_suite, event->context);
    const HIRect& a = event->area;
    QVRect frame{int16_t(a.top), int16_t(a.left), int16_t(a.bottom), int16_t(a.right)};
    DrawbotFillRect(frame, colors.background, &draw);
  }
  if (strip.hasLogo)
    DisplayResourceImage(0, colors.lightText ? "Plugin Logo White.png" : "Plugin Logo.png", 0, 0, in, event);
  for (int32_t i = 0; i < strip.count; ++i) {
    const Button& b = strip.buttons[i];
    const std::string name = std::string(b.picture) + " Button " + kStateNames[std::clamp(strip.s.state[i], 0, 2)] + ".png";
    DisplayResourceImage(0, name.c_str(), b.x, b.y, in, event);
  }
}

HIError HandleStripEvents(Strip& strip, const HIInData* in, HIOutData* out, HIParamDef* params[], HIWorld* output,
                          HIEventExtra* event, VLGlobalData* globals) {
  if (!event || !globals) return kHINoErr;
  PanelEventScope scope(in, params, globals);
  if (!scope.sequence()) {
    logprintf("Velmora", "%s", strip.noSequenceMessage);
    return kHIErrInternalStructDamaged;
  }
  VL_SettingsStruct* settings = scope.settings();
  if (!settings) return kHINoErr;
  const bool premiere = globals->hostCreator == kHIHostPremiere;
  const bool inControlArea = event->context && event->context->window_type == 1;
  const HIPoint p = PanelEventPoint(event);
  VLStripState& s = strip.s;
  const VLStripState before = s;
  bool changed = false;
  HIError err = kHINoErr;

  switch (event->kind) {
    case kHIEventClick: {
      if (!inControlArea) return kHINoErr;
      event->u.click.send_drag = 0;
      const int32_t hit = ButtonAt(strip, p);
      if (hit >= 0) {
        if (ActsAtOnce(globals->hostCreator)) {
          err = RunAction(strip.buttons[hit].action, in, out, params, output, event, globals, settings);
        } else {
          s.state[hit] = kVLButtonDown;
          s.armed = hit;
          s.downShown = true;
          event->u.click.send_drag = 1;
        }
      }
      event->out_flags |= kHIEventOutHandled;
      break;
    }
    case kHIEventDrag: {
      const bool last = event->u.click.last_time != 0;
      const int32_t hit = ButtonAt(strip, p);
      if (hit >= 0 && hit == s.armed) {
        if (last) {
          const int32_t armed = s.armed;
          s.state[armed] = kVLButtonUp;
          s.downShown = false;
          s.armed = -1;
          err = RunAction(strip.buttons[armed].action, in, out, params, output, event, globals, settings);
        } else {
          s.state[hit] = kVLButtonDown;
          s.downShown = true;
        }
      } else if (hit < 0) {
        if (s.downShown || last) {
          std::fill(s.state, s.state + 4, kVLButtonUp);
          s.downShown = false;
          if (last) s.armed = -1;
        }
      }
      event->u.click.send_drag = 0;
      break;
    }
    case kHIEventAdjustCursor: {
      if (premiere || !inControlArea) return kHINoErr;
      const int32_t hit = ButtonAt(strip, p);
      for (int32_t i = 0; i < strip.count; ++i) {
        if (i == hit) {
          if (s.state[i] != kVLButtonDown) s.state[i] = kVLButtonRollover;
        } else {
          s.state[i] = kVLButtonUp;
        }
      }
      event->out_flags |= kHIEventOutHandled;
      changed = true;
      break;
    }
    case kHIEventDraw:
      DrawStrip(strip, in, globals, event);
      event->out_flags |= kHIEventOutHandled;
      return kHINoErr;
    default:
      return kHINoErr;
  }

  changed = changed || std::memcmp(before.state, s.state, sizeof s.state) != 0;
  if (changed) {
    event->out_flags |= kHIEventOutHandled;
    if (!premiere || strip.redrawInPremiere) event->out_flags |= kHIEventOutUpdateNow;
    PanelInvalidate(in, event);
    if (premiere)
      if (HIParamDef* p1 = VLParamById(params, globals, kVLParamIdSettings))
        p1->change_flags |= kHIChangeFlagChangedValue;
  }
  return err;
}

}  // namespace

HIError HandleButtonUIEvents(const HIInData* in, HIOutData* out, HIParamDef* params[], HIWorld* output,
                             HIEventExtra* event, VLGlobalData* globals) {
  return HandleStripEvents(gButtonBar, in, out, params, output, event, globals);
}

HIError HandleLevelsUIEvents(const HIInData* in, HIOutData* out, HIParamDef* params[], HIWorld* output,
                             HIEventExtra* event, VLGlobalData* globals) {
  return HandleStripEvents(gLevelsStrip, in, out, params, output, event, globals);
}

VLStripState VLButtonBarState() { return gButtonBar.s; }

void VLResetStripStates() {
  for (Strip* strip : {&gButtonBar, &gLevelsStrip}) strip->s = VLStripState{{0, 0, 0, 0}, -1, false};
}

void GetUIColors(const VLGlobalData* globals, const HIInData* in, VLUIColors* colors) {
  auto set = [](uint16_t* rgb, uint16_t r, uint16_t g, uint16_t b) {
    rgb[0] = r, rgb[1] = g, rgb[2] = b;
  };
  set(colors->text, 0, 0, 0);
  colors->lightText = false;
  const uint32_t host = globals ? globals->hostCreator : 0;
  VLSuite app(in ? in->basic_suite : nullptr, kHISuiteApp, kHISuiteAppVersion);
  const HIAppSuite6* suite = app.get<HIAppSuite6>();
  switch (host) {
    case kHIHostAfterEffects:
      set(colors->background, 60948, 60948, 60948);
      if (suite) {
        suite->get_background_color(colors->background);
        suite->get_text_color(colors->text);
        colors->lightText = colors->text[0] > 32768;
      }
      return;
    case kHIHostBRed: set(colors->background, 48059, 48059, 48059); return;
    case kHIHostCbst: set(colors->background, 18761, 18761, 18761); return;
    case kHIHostFLiP: set(colors->background, 56797, 56797, 56797); return;
    case kHIHostATve:
    case kHIHostGSKT: set(colors->background, 58339, 59367, 59881); return;
    case kHIHostKeyGrip: set(colors->background, 53456, 53970, 55255); return;
    case kHIHostPremiere:
    case kHIHostMediaEncoder: {
      const int32_t major = in ? in->version_major : 0, minor = in ? in->version_minor : 0;
      const uint32_t word = uint32_t(major) << 16 | uint32_t(minor);
      const bool dark = word == 0x5000Cu || major >= 13;
      uint16_t fallback[3];
      if (dark) set(fallback, 22873, 22873, 22873);
      else set(fallback, 59881, 59881, 60395);
      std::memcpy(colors->background, fallback, sizeof fallback);
      if (suite) {
        suite->get_background_color(colors->background);
        if (major < 13) suite->get_text_color(colors->text);
      }
      if (colors->background[0] <= 255) {
        std::memcpy(colors->background, fallback, sizeof fallback);
        if (major >= 13 || !suite) colors->lightText = fallback[0] < 33400;
      } else if (major >= 13) {
        colors->lightText = colors->background[0] < 33358;
      } else {
        colors->lightText = colors->text[0] > 32768;
      }
      if (colors->lightText && (major >= 13 || colors->background[0] <= 255)) set(colors->text, 65535, 65535, 65535);
      return;
    }
    default:
      set(colors->background, 60948, 60948, 60948);
      return;
  }
}

void DisplayResourceImage(int32_t, const char* pngName, int32_t x, int32_t y, const HIInData* in,
                          const HIEventExtra* event) {
  if (!pngName || !event) return;
  TKImagePtr picture(TKImageReadPNG(VLResourcePath(pngName).c_str()));
  if (!picture) return;
  const int32_t width = TKImageWidth(picture.get()), height = TKImageHeight(picture.get());
  const int32_t rowBytes = (width * 4 + 15) & ~15;
  std::vector<uint8_t> pixels(size_t(rowBytes) * size_t(height), 0);
  if (TKImageExport(picture.get(), pixels.data(), rowBytes, kTKPixelFormatBGRA) != kQVNoErr) return;
  DrawbotContext draw(in->basic_suite, event->context);
  DrawPixelBuffer(pixels.data(), width, height, rowBytes, kHIDrawPixelLayoutBGRA, &draw, float(x), float(y),
                  HIDrawPointF{float(event->area.left), float(event->area.top)});
}
