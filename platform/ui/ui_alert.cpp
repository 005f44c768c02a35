// Alerts drawn by the toolkit: an icon, a bold message, a smaller detail and
// up to three buttons. Return chooses the default, Escape the cancel button.
#include <algorithm>

#include "platform/fourcc.h"
#include "platform/ui/ui_dialogs.h"
#include "platform/ui/ui_internal.h"
#include "platform/ui/ui_services.h"

namespace {

constexpr int32_t kWidth = 440;
constexpr int32_t kIconSide = 48;
constexpr int32_t kTextLeft = 20 + kIconSide + 16;
constexpr uint32_t kCmdDefault = QVFourCC("ok  ");
constexpr uint32_t kCmdCancel = QVFourCC("cncl");
constexpr uint32_t kCmdOther = QVFourCC("othr");

void DrawIcon(TKAlertKind kind, TKContext* ctx, const TKRect& r) {
  TKColor fill = kind == kTKAlertStop ? TKColor{0.82, 0.22, 0.20, 1}
               : kind == kTKAlertCaution ? TKColor{0.93, 0.66, 0.12, 1}
                                          : TKColor{0.20, 0.46, 0.85, 1};
  TKSetFillColor(ctx, fill);
  if (kind == kTKAlertCaution) {
    TKBeginPath(ctx);
    TKMoveTo(ctx, (r.left + r.right) / 2.0, r.top + 2);
    TKLineTo(ctx, r.right - 1, r.bottom - 3);
    TKLineTo(ctx, r.left + 1, r.bottom - 3);
    TKClosePath(ctx);
    TKFillPath(ctx);
  } else {
    TKFillOval(ctx, r);
  }
  TKFont font{"DejaVu Sans", 28, true, false};
  TKSetFillColor(ctx, TKColor{1, 1, 1, 1});
  TKRect text = r;
  if (kind == kTKAlertCaution) text.top += 8;
  TKDrawTextInRect(ctx, font, kind == kTKAlertNote ? "i" : "!", text, kTKAlignCenter);
}

}  // namespace

int32_t TKRunAlert(const TKAlertRequest& desc) {
  TKDialogRequest request;
  request.kind = TKDialogRequest::kAlert;
  request.alert = desc;
  TKDialogAnswer answer;
  if (TKTakeScriptedAnswer(request, &answer)) return answer.button;
  if (TKNoInputCanArrive()) return kTKAlertDefault;

  TKFont bold = TKSystemFont();
  bold.bold = true;
  int32_t textWidth = kWidth - kTextLeft - 20;
  int32_t messageHeight = TKMeasureWrappedHeight(bold, desc.message.c_str(), textWidth);
  int32_t detailHeight = desc.detail.empty() ? 0 : TKMeasureWrappedHeight(TKSmallFont(), desc.detail.c_str(), textWidth);
  int32_t textHeight = messageHeight + (detailHeight ? detailHeight + 8 : 0);
  int32_t height = 20 + std::max(kIconSide, textHeight) + 20 + 26 + 16;
  TKWindow* w = TKCreateWindow(kTKWindowModal, TKMakeRect(0, 0, kWidth, height),
                               desc.title.empty() ? "Alert" : desc.title.c_str());
  if (!w) return kTKAlertDefault;
  TKUserPaneProcs icon;
  TKAlertKind kind = desc.kind;
  icon.draw = [kind](TKControl* c, TKContext* ctx) { DrawIcon(kind, ctx, TKGetControlBounds(c)); };
  TKNewUserPane(w, TKMakeRect(20, 20, kIconSide, kIconSide), icon);
  TKControl* message = TKNewStaticText(w, TKMakeRect(kTextLeft, 20, textWidth, messageHeight), desc.message.c_str());
  TKSetControlFont(message, bold);
  if (detailHeight) {
    TKControl* detail = TKNewStaticText(w, TKMakeRect(kTextLeft, 20 + messageHeight + 8, textWidth, detailHeight),
                                        desc.detail.c_str());
    TKSetControlFont(detail, TKSmallFont());
  }
  std::vector<std::pair<std::string, uint32_t>> buttons{
      {desc.defaultButton.empty() ? "OK" : desc.defaultButton, kCmdDefault}};
  if (!desc.cancelButton.empty()) buttons.push_back({desc.cancelButton, kCmdCancel});
  std::vector<TKControl*> made = TKAddDialogButtons(w, buttons);
  TKSetDefaultButton(w, made[0]);
  if (made.size() > 1) TKSetCancelButton(w, made[1]);
  if (!desc.otherButton.empty()) {
    int32_t width = std::max(84, int32_t(TKMeasureText(TKSystemFont(), desc.otherButton.c_str()).width) + 28);
    TKNewPushButton(w, TKMakeRect(16, height - 16 - 26, width, 26), desc.otherButton.c_str(), kCmdOther);
  }
  TKInstallWindowHandler(w, [w](TKEvent& e) {
    if (e.kind != kTKEventCommand) return kQVErrNotHandled;
    if (e.command == kCmdDefault) TKEndModal(w, kTKAlertDefault);
    else if (e.command == kCmdCancel) TKEndModal(w, kTKAlertCancel);
    else if (e.command == kCmdOther) TKEndModal(w, kTKAlertOther);
    else return kQVErrNotHandled;
    return kQVNoErr;
  });
  TKBeep();
  int32_t result = TKRunModal(w);
  TKDisposeWindow(w);
  return result ? result : kTKAlertCancel;
}
