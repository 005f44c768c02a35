#include "app/window/output_dialog.h"

#include <cstddef>
#include <iterator>

#include "media/output_job.h"
#include "platform/fourcc.h"
#include "platform/ui/toolkit.h"

namespace {

constexpr uint32_t kCommandOK = QVFourCC("ok  ");
constexpr uint32_t kCommandCancel = QVFourCC("not!");

struct Item {
  const char* text;
  uint32_t code;
};
// The popups' items; the texts are the job list's names of the formats.
const Item kMovieFormats[] = {{"QuickTime", kQVOutputMovie}, {"Apple Device", kQVOutputDevice}};
const Item kSequenceFormats[] = {
    {"DPX Sequence", kQVOutputDPXSequence}, {"JPEG Sequence", kQVOutputJPEGSequence}, {"TIFF Sequence", kQVOutputTIFFSequence}};
const Item kCodecs[] = {{"Motion JPEG", kQVCodecJPEG}, {"ProRes 422", kQVCodecProRes422}, {"H.264", kQVCodecH264}};

void (*gOpenedHook)(OutputDialog*) = nullptr;

// The popup's menu with the items; the 1-based item holding code (1 when none does).
TKMenu* FillMenu(int32_t id, const Item* items, size_t count, uint32_t code, int32_t* value) {
  TKMenu* menu = TKCreateMenu(id, "");
  *value = 1;
  for (size_t i = 0; i < count; ++i) {
    TKAppendMenuItem(menu, items[i].text, 0);
    if (items[i].code == code) *value = int32_t(i + 1);
  }
  return menu;
}

uint32_t CodeOf(TKControl* popup, const Item* items, size_t count) {
  const int32_t value = TKGetControlValue(popup);
  return value >= 1 && size_t(value) <= count ? items[value - 1].code : items[0].code;
}

}  // namespace

void SetOutputDialogOpenedHook(void (*hook)(OutputDialog*)) { gOpenedHook = hook; }

bool RunOutputDialog(bool movie, OutputDialogChoice* choice) {
  const Item* formats = movie ? kMovieFormats : kSequenceFormats;
  const size_t formatCount = movie ? std::size(kMovieFormats) : std::size(kSequenceFormats);
  OutputDialog d;
  const int32_t height = movie ? 150 : 116;
  d.window = TKCreateWindow(kTKWindowModal, TKMakeRect(0, 0, 360, height), movie ? "Render Movie" : "Render Image Sequence");
  int32_t value = 1;
  TKNewStaticText(d.window, TKRect{20, 20, 38, 110}, "Format:");
  d.formatMenu = FillMenu(kOutputFormatMenuID, formats, formatCount, choice->format, &value);
  d.format = TKNewPopupButton(d.window, TKRect{16, 116, 40, 340}, "", d.formatMenu, value);
  if (movie) {
    TKNewStaticText(d.window, TKRect{54, 20, 72, 110}, "Codec:");
    d.codecMenu = FillMenu(kOutputCodecMenuID, kCodecs, std::size(kCodecs), choice->codec, &value);
    d.codec = TKNewPopupButton(d.window, TKRect{50, 116, 74, 340}, "", d.codecMenu, value);
  }
  d.cancel = TKNewPushButton(d.window, TKRect{height - 38, 176, height - 16, 256}, "Cancel", kCommandCancel);
  d.ok = TKNewPushButton(d.window, TKRect{height - 38, 264, height - 16, 344}, "Render", kCommandOK);
  TKSetDefaultButton(d.window, d.ok);
  TKSetCancelButton(d.window, d.cancel);
  TKCenterWindow(d.window, nullptr);
  TKInstallWindowHandler(d.window, [&d](TKEvent& e) -> QVStatus {
    if (e.kind != kTKEventCommand || (e.command != kCommandOK && e.command != kCommandCancel)) return kQVErrNotHandled;
    TKEndModal(d.window, e.command == kCommandOK ? 1 : 0);
    return kQVNoErr;
  });
  TKShowWindow(d.window);
  if (gOpenedHook) gOpenedHook(&d);
  const bool ok = TKRunModal(d.window) == 1;
  if (ok) {
    choice->format = CodeOf(d.format, formats, formatCount);
    if (d.codec) choice->codec = CodeOf(d.codec, kCodecs, std::size(kCodecs));
  }
  TKDisposeWindow(d.window);
  TKDisposeMenu(d.formatMenu);
  if (d.codecMenu) TKDisposeMenu(d.codecMenu);
  return ok;
}
