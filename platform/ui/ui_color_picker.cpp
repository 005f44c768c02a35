// The colour picker: red, green and blue sliders (0-255) with their numbers,
// a swatch of the new colour beside the original, OK and Cancel.
#include <cmath>
#include <cstdio>

#include "platform/fourcc.h"
#include "platform/ui/ui_dialogs.h"
#include "platform/ui/ui_internal.h"

namespace {

constexpr uint32_t kCmdOK = QVFourCC("ok  ");
constexpr uint32_t kCmdCancel = QVFourCC("cncl");

int32_t ToByte(double v) { return int32_t(std::lround(std::fmin(std::fmax(v, 0.0), 1.0) * 255.0)); }

}  // namespace

QVStatus TKRunColorPicker(const char* prompt, TKColor initial, TKColor* chosen) {
  if (!chosen) return kQVErrParam;
  TKDialogRequest request;
  request.kind = TKDialogRequest::kColor;
  request.prompt = prompt ? prompt : "";
  TKDialogAnswer answer;
  if (TKTakeScriptedAnswer(request, &answer)) {
    if (answer.status == kQVNoErr) *chosen = answer.color;
    return answer.status;
  }
  if (TKNoInputCanArrive()) return kQVErrCancelled;

  TKWindow* w = TKCreateWindow(kTKWindowModal, TKMakeRect(0, 0, 420, 226), "Colors");
  if (!w) return kQVErrMemory;
  TKNewStaticText(w, TKMakeRect(16, 14, 388, 20), prompt && *prompt ? prompt : "Choose a colour:");
  TKColor current = initial;
  TKUserPaneProcs swatch;
  swatch.draw = [&current, initial](TKControl* c, TKContext* ctx) {
    TKRect r = TKGetControlBounds(c);
    TKRect top = r, bottom = r;
    top.bottom = bottom.top = (r.top + r.bottom) / 2;
    TKSetFillColor(ctx, TKColor{current.red, current.green, current.blue, 1});
    TKFillRect(ctx, top);
    TKSetFillColor(ctx, TKColor{initial.red, initial.green, initial.blue, 1});
    TKFillRect(ctx, bottom);
    TKSetStrokeColor(ctx, TKColor{0.5, 0.5, 0.5, 1});
    TKFrameRect(ctx, r);
  };
  TKNewUserPane(w, TKMakeRect(324, 44, 80, 116), swatch);
  const char* names[3] = {"Red", "Green", "Blue"};
  double* parts[3] = {&current.red, &current.green, &current.blue};
  TKControl* numbers[3];
  for (int i = 0; i < 3; ++i) {
    int32_t y = 48 + i * 40;
    TKNewStaticText(w, TKMakeRect(16, y, 50, 22), names[i]);
    TKControl* slider = TKNewSlider(w, TKMakeRect(70, y, 190, 22), ToByte(*parts[i]), 0, 255);
    numbers[i] = TKNewStaticText(w, TKMakeRect(270, y, 44, 22), "");
    char text[8];
    std::snprintf(text, sizeof text, "%d", ToByte(*parts[i]));
    TKSetControlTitle(numbers[i], text);
    TKControl* number = numbers[i];
    double* part = parts[i];
    TKInstallControlHandler(slider, [slider, number, part, w](TKEvent& e) {
      if (e.kind != kTKEventValueChanged && e.kind != kTKEventControlHit) return kQVErrNotHandled;
      int32_t v = TKGetControlValue(slider);
      *part = v / 255.0;
      char buf[8];
      std::snprintf(buf, sizeof buf, "%d", v);
      TKSetControlTitle(number, buf);
      TKInvalidateWindow(w);
      return kQVNoErr;
    });
  }
  std::vector<TKControl*> buttons = TKAddDialogButtons(w, {{"OK", kCmdOK}, {"Cancel", kCmdCancel}});
  TKSetDefaultButton(w, buttons[0]);
  TKSetCancelButton(w, buttons[1]);
  TKInstallWindowHandler(w, [w](TKEvent& e) {
    if (e.kind != kTKEventCommand) return kQVErrNotHandled;
    if (e.command == kCmdOK) TKEndModal(w, 1);
    else if (e.command == kCmdCancel) TKEndModal(w, 2);
    else return kQVErrNotHandled;
    return kQVNoErr;
  });
  int32_t result = TKRunModal(w);
  TKDisposeWindow(w);
  if (result != 1) return kQVErrCancelled;
  *chosen = TKColor{current.red, current.green, current.blue, initial.alpha};
  return kQVNoErr;
}
