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

QVStatus UIRunColorPicker(const char* prompt, UIColor initial, UIColor* chosen) {
  if (!chosen) return kQVErrParam;
  UIDialogRequest request;
  request.kind = UIDialogRequest::kColor;
  request.prompt = prompt ? prompt : "";
  UIDialogAnswer answer;
  if (UITakeScriptedAnswer(request, &answer)) {
    if (answer.status == kQVNoErr) *chosen = answer.color;
    return answer.status;
  }
  if (UINoInputCanArrive()) return kQVErrCancelled;

  UIWindow* w = UICreateWindow(kUIWindowModal, UIMakeRect(0, 0, 420, 226), "Colors");
  if (!w) return kQVErrMemory;
  UINewStaticText(w, UIMakeRect(16, 14, 388, 20), prompt && *prompt ? prompt : "Choose a colour:");
  UIColor current = initial;
  UIUserPaneProcs swatch;
  swatch.draw = [&current, initial](UIControl* c, UIContext* ctx) {
    UIRect r = UIGetControlBounds(c);
    UIRect top = r, bottom = r;
    top.bottom = bottom.top = (r.top + r.bottom) / 2;
    UISetFillColor(ctx, UIColor{current.red, current.green, current.blue, 1});
    UIFillRect(ctx, top);
    UISetFillColor(ctx, UIColor{initial.red, initial.green, initial.blue, 1});
    UIFillRect(ctx, bottom);
    UISetStrokeColor(ctx, UIColor{0.5, 0.5, 0.5, 1});
    UIFrameRect(ctx, r);
  };
  UINewUserPane(w, UIMakeRect(324, 44, 80, 116), swatch);
  const char* names[3] = {"Red", "Green", "Blue"};
  double* parts[3] = {&current.red, &current.green, &current.blue};
  UIControl* numbers[3];
  for (int i = 0; i < 3; ++i) {
    int32_t y = 48 + i * 40;
    UINewStaticText(w, UIMakeRect(16, y, 50, 22), names[i]);
    UIControl* slider = UINewSlider(w, UIMakeRect(70, y, 190, 22), ToByte(*parts[i]), 0, 255);
    numbers[i] = UINewStaticText(w, UIMakeRect(270, y, 44, 22), "");
    char text[8];
    std::snprintf(text, sizeof text, "%d", ToByte(*parts[i]));
    UISetControlTitle(numbers[i], text);
    UIControl* number = numbers[i];
    double* part = parts[i];
    UIInstallControlHandler(slider, [slider, number, part, w](UIEvent& e) {
      if (e.kind != kUIEventValueChanged && e.kind != kUIEventControlHit) return kQVErrNotHandled;
      int32_t v = UIGetControlValue(slider);
      *part = v / 255.0;
      char buf[8];
      std::snprintf(buf, sizeof buf, "%d", v);
      UISetControlTitle(number, buf);
      UIInvalidateWindow(w);
      return kQVNoErr;
    });
  }
  std::vector<UIControl*> buttons = UIAddDialogButtons(w, {{"OK", kCmdOK}, {"Cancel", kCmdCancel}});
  UISetDefaultButton(w, buttons[0]);
  UISetCancelButton(w, buttons[1]);
  UIInstallWindowHandler(w, [w](UIEvent& e) {
    if (e.kind != kUIEventCommand) return kQVErrNotHandled;
    if (e.command == kCmdOK) UIEndModal(w, 1);
    else if (e.command == kCmdCancel) UIEndModal(w, 2);
    else return kQVErrNotHandled;
    return kQVNoErr;
  });
  int32_t result = UIRunModal(w);
  UIDisposeWindow(w);
  if (result != 1) return kQVErrCancelled;
  *chosen = UIColor{current.red, current.green, current.blue, initial.alpha};
  return kQVNoErr;
}
