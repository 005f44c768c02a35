// The panel's layout, its events as a host sends them, its picture and the
// panel script.
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "platform/standin_host/sh_call.h"
#include "platform/standin_host/sh_panel_internal.h"

namespace {

constexpr int32_t kMargin = 8;  // around the panel and between areas

// One event to the area's parameter with the host's current values; what the
// effect changed is kept. ctx is the picture for a draw event.
HIError SendEvent(SHPanel* panel, const SHPanelArea& area, HIEventExtra* event, TKContext* ctx) {
  SHHost* host = panel->host;
  SHCall call;
  call.host = host;
  call.time = panel->time;
  if (panel->frame) call.input = panel->frame->world;
  HIError err = SHPrepareParams(host, &call, true);
  if (err) return err;
  SHPanelDrawing drawing;
  drawing.ctx = ctx;
  HIEventContext context{1, area.index, ctx ? &drawing : nullptr};
  event->context = &context;
  event->area = area.rect;
  gSHActivePanel.store(panel);
  err = SHDispatch(host, &call, kHICmdEvent, event, nullptr);
  SHTakeBackChangedValues(host, call, panel->time);
  event->context = nullptr;
  panel->last_out_flags = event->out_flags;
  if (event->out_flags & kHIEventOutUpdateNow) ++panel->redraws_now;
  return err;
}

const SHPanelArea* AreaOf(const SHPanel* panel, int32_t id) {
  for (const SHPanelArea& a : panel->areas)
    if (a.id == id) return &a;
  return nullptr;
}

HIPoint ToPanel(const SHPanelArea& area, int32_t x, int32_t y) { return HIPoint{area.rect.left + x, area.rect.top + y}; }

HIError SendGestureEvent(SHPanel* panel, int32_t x, int32_t y, uint32_t modifiers, bool last) {
  if (panel->gesture_area < 0 || size_t(panel->gesture_area) >= panel->areas.size()) return kHINoErr;
  const SHPanelArea& area = panel->areas[size_t(panel->gesture_area)];
  HIEventExtra event{};
  event.kind = kHIEventDrag;
  event.u.click.screen_point = ToPanel(area, x, y);
  event.u.click.modifiers = modifiers;
  event.u.click.last_time = last ? 1 : 0;
  std::memcpy(event.u.click.continue_refcon, panel->refcon, sizeof panel->refcon);
  HIError err = SendEvent(panel, area, &event, nullptr);
  std::memcpy(panel->refcon, event.u.click.continue_refcon, sizeof panel->refcon);
  panel->wants_next_drag = event.u.click.send_drag != 0;
  return err;
}

}  // namespace

void SHPanelOpen(SHPanel* panel, SHHost* host) {
  panel->host = host;
  panel->areas.clear();
  int32_t top = kMargin, width = 0;
  std::lock_guard<std::recursive_mutex> lock(host->params_lock);
  for (size_t i = 1; i < host->params.size(); ++i) {
    const HIParamDef& d = host->params[i].def;
    if (!(d.ui_flags & kHIParamUIFlagControl) || d.ui_width <= 0 || d.ui_height <= 0) continue;
    SHPanelArea area;
    area.index = int32_t(i);
    area.id = d.uu_id;
    area.rect = HIRect{kMargin, top, kMargin + d.ui_width, top + d.ui_height};
    panel->areas.push_back(area);
    top += d.ui_height + kMargin;
    width = std::max(width, int32_t(d.ui_width));
  }
  panel->width = width + 2 * kMargin;
  panel->height = top;
  gSHActivePanel.store(panel);
}

void SHPanelClose(SHPanel* panel) {
  SHPanel* expected = panel;
  gSHActivePanel.compare_exchange_strong(expected, nullptr);
  panel->picture.reset();
}

const SHPanelArea* SHPanelAreaOf(const SHPanel* panel, int32_t id) { return AreaOf(panel, id); }

HIError SHPanelClick(SHPanel* panel, int32_t id, int32_t x, int32_t y, uint32_t modifiers) {
  const SHPanelArea* area = AreaOf(panel, id);
  if (!area) return kHIErrBadCallbackParam;
  HIEventExtra event{};
  event.kind = kHIEventClick;
  event.u.click.screen_point = ToPanel(*area, x, y);
  event.u.click.modifiers = modifiers;
  HIError err = SendEvent(panel, *area, &event, nullptr);
  panel->gesture_area = int32_t(area - panel->areas.data());
  std::memcpy(panel->refcon, event.u.click.continue_refcon, sizeof panel->refcon);
  panel->gesture_wants_drags = panel->wants_next_drag = event.u.click.send_drag != 0;
  return err;
}

HIError SHPanelDrag(SHPanel* panel, int32_t x, int32_t y, uint32_t modifiers) {
  if (!panel->gesture_wants_drags || !panel->wants_next_drag) return kHINoErr;
  return SendGestureEvent(panel, x, y, modifiers, false);
}

HIError SHPanelRelease(SHPanel* panel, int32_t x, int32_t y, uint32_t modifiers) {
  HIError err = kHINoErr;
  if (panel->gesture_wants_drags) err = SendGestureEvent(panel, x, y, modifiers, true);
  panel->gesture_area = -1;
  panel->gesture_wants_drags = panel->wants_next_drag = false;
  return err;
}

HIError SHPanelMove(SHPanel* panel, int32_t id, int32_t x, int32_t y, uint32_t modifiers) {
  const SHPanelArea* area = AreaOf(panel, id);
  if (!area) return kHIErrBadCallbackParam;
  HIEventExtra event{};
  event.kind = kHIEventAdjustCursor;
  event.u.adjust_cursor.screen_point = ToPanel(*area, x, y);
  event.u.adjust_cursor.modifiers = modifiers;
  event.u.adjust_cursor.set_cursor = -1;
  HIError err = SendEvent(panel, *area, &event, nullptr);
  panel->cursor = event.u.adjust_cursor.set_cursor;
  return err;
}

HIError SHPanelKey(SHPanel* panel, int32_t id, uint32_t charCode, uint32_t modifiers) {
  const SHPanelArea* area = AreaOf(panel, id);
  if (!area) return kHIErrBadCallbackParam;
  HIEventExtra event{};
  event.kind = kHIEventKeyDown;
  event.u.key_down.char_code = charCode;
  event.u.key_down.modifiers = modifiers;
  return SendEvent(panel, *area, &event, nullptr);
}

HIError SHPanelDraw(SHPanel* panel) {
  panel->picture.reset(TKImageCreate(std::max(1, panel->width), std::max(1, panel->height)));
  if (!panel->picture) return kHIErrOutOfMemory;
  TKContext* ctx = TKBeginDrawing(panel->picture.get());
  if (!ctx) return kHIErrOutOfMemory;
  HIError err = kHINoErr;
  for (const SHPanelArea& area : panel->areas) {
    HIEventExtra event{};
    event.kind = kHIEventDraw;
    event.u.draw.update_rect = area.rect;
    event.u.draw.depth = 32;
    TKSave(ctx);
    TKClipRect(ctx, TKRect{area.rect.top, area.rect.left, area.rect.bottom, area.rect.right});
    HIError e = SendEvent(panel, area, &event, ctx);
    TKRestore(ctx);
    if (e && !err) err = e;
  }
  TKEndDrawing(ctx);
  return err;
}

QVStatus SHPanelWritePNG(SHPanel* panel, const char* path) {
  if (SHPanelDraw(panel) != kHINoErr || !panel->picture) return kQVErrIO;
  return TKImageWritePNG(panel->picture.get(), path);
}

namespace {

bool ParseInt(const std::string& word, int32_t* value) {
  if (word.empty()) return false;
  char* end = nullptr;
  errno = 0;
  long v = std::strtol(word.c_str(), &end, 0);
  if (*end || errno || v < INT32_MIN || v > INT32_MAX) return false;
  *value = int32_t(v);
  return true;
}

bool ParseModifiers(const std::string& word, uint32_t* modifiers) {
  *modifiers = 0;
  if (word.empty()) return true;
  int32_t number = 0;
  if (ParseInt(word, &number)) {
    *modifiers = uint32_t(number);
    return true;
  }
  std::stringstream names(word);
  std::string name;
  while (std::getline(names, name, '+')) {
    if (name == "command") *modifiers |= kHIModifierCommand;
    else if (name == "shift") *modifiers |= kHIModifierShift;
    else if (name == "option") *modifiers |= kHIModifierOption;
    else if (name == "control") *modifiers |= kHIModifierControl;
    else return false;
  }
  return true;
}

}  // namespace

bool SHRunPanelScript(SHPanel* panel, const std::string& script, std::string* error) {
  std::stringstream lines(script);
  std::string line;
  int number = 0;
  while (std::getline(lines, line)) {
    ++number;
    if (size_t hash = line.find('#'); hash != std::string::npos) line.erase(hash);
    std::stringstream in(line);
    std::vector<std::string> w;
    for (std::string word; in >> word;) w.push_back(word);
    if (w.empty()) continue;
    auto fail = [&](const std::string& why) {
      *error = "line " + std::to_string(number) + ": " + why;
      return false;
    };
    const std::string& verb = w[0];
    int32_t a = 0, b = 0, c = 0;
    uint32_t modifiers = 0;
    HIError err = kHINoErr;
    if (verb == "click" || verb == "move") {
      if (w.size() < 4 || w.size() > 5 || !ParseInt(w[1], &a) || !ParseInt(w[2], &b) || !ParseInt(w[3], &c) ||
          !ParseModifiers(w.size() == 5 ? w[4] : "", &modifiers))
        return fail(verb + " takes an identifier, x, y and optional modifiers");
      if (!AreaOf(panel, a)) return fail("no panel area for parameter " + w[1]);
      err = verb == "click" ? SHPanelClick(panel, a, b, c, modifiers) : SHPanelMove(panel, a, b, c, modifiers);
    } else if (verb == "drag" || verb == "release") {
      if (w.size() < 3 || w.size() > 4 || !ParseInt(w[1], &a) || !ParseInt(w[2], &b) ||
          !ParseModifiers(w.size() == 4 ? w[3] : "", &modifiers))
        return fail(verb + " takes x, y and optional modifiers");
      err = verb == "drag" ? SHPanelDrag(panel, a, b, modifiers) : SHPanelRelease(panel, a, b, modifiers);
    } else if (verb == "key") {
      if (w.size() < 3 || w.size() > 4 || !ParseInt(w[1], &a) || w[2].size() != 1 ||
          !ParseModifiers(w.size() == 4 ? w[3] : "", &modifiers))
        return fail("key takes an identifier, one character and optional modifiers");
      if (!AreaOf(panel, a)) return fail("no panel area for parameter " + w[1]);
      err = SHPanelKey(panel, a, uint32_t(uint8_t(w[2][0])), modifiers);
    } else if (verb == "menu") {
      if (w.size() != 2 || !ParseInt(w[1], &a) || a < 0) return fail("menu takes a row number (0 dismisses)");
      if (!panel->choose_menu) return fail("this host cannot choose in the effect's menus");
      panel->choose_menu(a);
    } else if (verb == "png") {
      if (w.size() != 2) return fail("png takes one path");
      if (SHPanelWritePNG(panel, w[1].c_str()) != kQVNoErr) return fail(w[1] + ": cannot write the panel picture");
    } else {
      return fail("unknown command \"" + verb + "\"");
    }
    if (err) return fail("the effect answered error " + std::to_string(err));
  }
  return true;
}
