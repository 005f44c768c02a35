// Events of the curve and hue-wheel areas: where a click lands, the undo
// group around a click and its drags, the context menu, drawing the four
// displays, and the cursor.
#include <algorithm>

#include "platform/host/host_signatures.h"
#include "plugin/host_calls.h"
#include "plugin/panel_displays.h"
#include "plugin/panel_events.h"
#include "support/alerts.h"

namespace {

void UndoGroup(const HIInData* in, const char* name) {
  VLSuite utility(in->basic_suite, kHISuiteAEGPUtility, kHISuiteAEGPUtilityVersionRegister);
  const auto* suite = utility.get<HIUtilitySuite11>();
  if (!suite) return;
  if (name) {
    if (suite->start_undo_group) suite->start_undo_group(name);
  } else if (suite->end_undo_group) {
    suite->end_undo_group();
  }
}

// After a click or a drag: the settings changed, the event was handled and
// the whole area is redrawn.
void Changed(const HIInData* in, HIParamDef* params[], HIEventExtra* event, const VLGlobalData* globals,
             bool click) {
  PanelFlagSettingsChanged(params, globals);
  event->out_flags |= kHIEventOutHandled;
  if (click) event->out_flags |= kHIEventOutAlwaysUpdate;
  if (globals->hostCreator != kHIHostPremiere) event->out_flags |= kHIEventOutUpdateNow;
  PanelInvalidate(in, event);
}

bool InControlArea(const HIEventExtra* event) { return event->context && event->context->window_type == 1; }

void DrawThroughPort(const HIInData* in, const HIEventExtra* event, const VL_SettingsStruct* settings,
                     const VLSeqData* sequence, const PanelDisplayKind& kind) {
  PPPort port;
  if (!PanelOpenPort(in, event, &port)) return;
  for (int32_t display = 0; display < 4; ++display) {
    const int32_t left = event->area.left + (display & 1) * kPanelCellSize;
    const int32_t top = event->area.top + (display >> 1) * kind.rowTop;
    kind.portDraw(settings, sequence, display, left, top, &port);
  }
  PanelPortChanged(in, event);
}

}  // namespace

HIError HandlePanelDisplayEvents(const HIInData* in, HIOutData* out, HIParamDef* params[], HIEventExtra* event,
                                 const VLGlobalData* globals, const PanelDisplayKind& kind) {
  if (!event || !globals) return kHINoErr;
  PanelEventScope scope(in, params, globals);
  if (!scope.sequence()) {
    logprintf("Velmora", "No sequence data in HandleCurveEvents\n");
    return kHIErrInternalStructDamaged;
  }
  VL_SettingsStruct* settings = scope.settings();
  if (!settings) return kHINoErr;
  VLSeqData* sequence = scope.sequence();
  const HIPoint p = PanelEventPoint(event);

  switch (event->kind) {
    case kHIEventClick: {
      if (!InControlArea(event)) return kHINoErr;
      if (p.h < 0 || p.v < 0 || p.h >= kPanelCellSize * 2 || p.v >= kind.areaHeight) return kHINoErr;
      const int32_t column = p.h / kPanelCellSize, row = p.v >= kind.rowTop ? 1 : 0;
      const int32_t display = column + 2 * row;
      const int32_t cellX = p.h - column * kPanelCellSize, cellY = p.v - row * kind.rowTop;
      event->out_flags |= kHIEventOutHandled;
      if (!kind.inDisplay(cellX, cellY)) return kHINoErr;
      if (PanelIsMenuClick(event, globals->hostCreator)) {
        kind.menu(settings, sequence, display);
        PanelFlagSettingsChanged(params, globals);
        out->out_flags |= kHIOutFlagForceRerender;
        return kHINoErr;
      }
      const HIPoint origin{event->area.left + column * kPanelCellSize, event->area.top + row * kind.rowTop};
      UndoGroup(in, kind.undoName);
      kind.click(settings, sequence, display, origin, cellX, kind.yWithinArea ? p.v : cellY,
                 event->u.click.modifiers);
      event->u.click.send_drag = 1;
      event->u.click.continue_refcon[0] = display;
      event->u.click.continue_refcon[1] = origin.h;
      event->u.click.continue_refcon[2] = origin.v;
      Changed(in, params, event, globals, true);
      return kHINoErr;
    }
    case kHIEventDrag: {
      const int32_t display = event->u.click.continue_refcon[0];
      if (display < 0 || display > 3) return kHINoErr;
      const HIPoint origin{event->u.click.continue_refcon[1], event->u.click.continue_refcon[2]};
      const int32_t column = display & 1, row = display >> 1;
      const bool last = event->u.click.last_time != 0;
      const int32_t x = p.h - column * kPanelCellSize;
      const int32_t y = kind.yWithinArea ? p.v : p.v - row * kind.rowTop;
      kind.drag(settings, sequence, display, origin, x, y, last, event->u.click.modifiers);
      if (last) {
        event->u.click.continue_refcon[0] = -1;
        UndoGroup(in, nullptr);
      } else {
        event->u.click.send_drag = 1;
      }
      Changed(in, params, event, globals, false);
      return kHINoErr;
    }
    case kHIEventDraw: {
      if (kPanelDrawsThroughPort) {
        DrawThroughPort(in, event, settings, sequence, kind);
        event->out_flags |= kHIEventOutHandled;
        return kHINoErr;
      }
      DrawbotContext draw(in->basic_suite, event->context);
      if (draw.ok()) {
        for (int32_t display = 0; display < 4; ++display) {
          const int32_t left = event->area.left + (display & 1) * kPanelCellSize;
          const int32_t top = event->area.top + (display >> 1) * kind.rowTop;
          kind.draw(settings, sequence, display, left, top, &draw);
        }
      }
      event->out_flags |= kHIEventOutHandled;
      return kHINoErr;
    }
    case kHIEventAdjustCursor: {
      if (!InControlArea(event)) return kHINoErr;
      const bool menu = PanelModifiersAskForMenu(event->u.adjust_cursor.modifiers, globals->hostCreator);
      const int32_t cursor = kind.cursor(p.h, p.v, menu);
      if (cursor >= 0) event->u.adjust_cursor.set_cursor = cursor;
      event->out_flags |= kHIEventOutHandled;
      return kHINoErr;
    }
    default:
      return kHINoErr;
  }
}
