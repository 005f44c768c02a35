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

void DrawIcon(UIAlertKind kind, UIContext* ctx, const UIRect& r) {
  UIColor fill = kind == kUIAlertStop ? UIColor{0.82, 0.22, 0.20, 1}
               : kind == kUIAlertCaution ? UIColor{0.93, 0.66, 0.12, 1}
                                          : UIColor{0.20, 0.46, 0.85, 1};
  UISetFillColor(ctx, fill);
  if (kind == kUIAlertCaution) {
    UIBeginPath(ctx);
    UIMoveTo(ctx, (r.left + r.right) / 2.0, r.top + 2);
    UILineTo(ctx, r.right - 1, r.bottom - 3);
    UILineTo(ctx, r.left + 1, r.bottom - 3);
    UIClosePath(ctx);
    UIFillPath(ctx);
  } else {
    UIFillOval(ctx, r);
  }
  UIFont font{"DejaVu Sans", 28, true, false};
  UISetFillColor(ctx, UIColor{1, 1, 1, 1});
  UIRect text = r;
  if (kind == kUIAlertCaution) text.top += 8;
  UIDrawTextInRect(ctx, font, kind == kUIAlertNote ? "i" : "!", text, kUIAlignCenter);
}

}  // namespace

int32_t UIRunAlert(const UIAlertRequest& desc) {
  UIDialogRequest request;
  request.kind = UIDialogRequest::kAlert;
  request.alert = desc;
  UIDialogAnswer answer;
  if (UITakeScriptedAnswer(request, &answer)) return answer.button;
  if (UINoInputCanArrive()) return kUIAlertDefault;

  UIFont bold = UISystemFont();
  bold.bold = true;
  int32_t textWidth = kWidth - kTextLeft - 20;
  int32_t messageHeight = UIMeasureWrappedHeight(bold, desc.message.c_str(), textWidth);
  int32_t detailHeight = desc.detail.empty() ? 0 : UIMeasureWrappedHeight(UISmallFont(), desc.detail.c_str(), textWidth);
  int32_t textHeight = messageHeight + (detailHeight ? detailHeight + 8 : 0);
  int32_t height = 20 + std::max(kIconSide, textHeight) + 20 + 26 + 16;
  UIWindow* w = UICreateWindow(kUIWindowModal, UIMakeRect(0, 0, kWidth, height),
                               desc.title.empty() ? "Alert" : desc.title.c_str());
  if (!w) return kUIAlertDefault;
  UIUserPaneProcs icon;
  UIAlertKind kind = desc.kind;
  icon.draw = [kind](UIControl* c, UIContext* ctx) { DrawIcon(kind, ctx, UIGetControlBounds(c)); };
  UINewUserPane(w, UIMakeRect(20, 20, kIconSide, kIconSide), icon);
  UIControl* message = UINewStaticText(w, UIMakeRect(kTextLeft, 20, textWidth, messageHeight), desc.message.c_str());
  UISetControlFont(message, bold);
  if (detailHeight) {
    UIControl* detail = UINewStaticText(w, UIMakeRect(kTextLeft, 20 + messageHeight + 8, textWidth, detailHeight),
                                        desc.detail.c_str());
    UISetControlFont(detail, UISmallFont());
  }
  std::vector<std::pair<std::string, uint32_t>> buttons{
      {desc.defaultButton.empty() ? "OK" : desc.defaultButton, kCmdDefault}};
  if (!desc.cancelButton.empty()) buttons.push_back({desc.cancelButton, kCmdCancel});
  std::vector<UIControl*> made = UIAddDialogButtons(w, buttons);
  UISetDefaultButton(w, made[0]);
  if (made.size() > 1) UISetCancelButton(w, made[1]);
  if (!desc.otherButton.empty()) {
    int32_t width = std::max(84, int32_t(UIMeasureText(UISystemFont(), desc.otherButton.c_str()).width) + 28);
    UINewPushButton(w, UIMakeRect(16, height - 16 - 26, width, 26), desc.otherButton.c_str(), kCmdOther);
  }
  UIInstallWindowHandler(w, [w](UIEvent& e) {
    if (e.kind != kUIEventCommand) return kQVErrNotHandled;
    if (e.command == kCmdDefault) UIEndModal(w, kUIAlertDefault);
    else if (e.command == kCmdCancel) UIEndModal(w, kUIAlertCancel);
    else if (e.command == kCmdOther) UIEndModal(w, kUIAlertOther);
    else return kQVErrNotHandled;
    return kQVNoErr;
  });
  UIBeep();
  int32_t result = UIRunModal(w);
  UIDisposeWindow(w);
  return result ? result : kUIAlertCancel;
}
