// Clipboard with named flavours, displays, beep.
#include "platform/ui/ui_services.h"

#include <cstring>

#include "platform/ui/ui_internal.h"

namespace {

constexpr size_t kMaxClipboardBytes = size_t(256) << 20;

bool IsText(const char* flavour) { return std::strcmp(flavour, kUIFlavourText) == 0; }

}  // namespace

void UIClipboardClear() {
  UIState().clipboard.clear();
  if (UIBackendPtr()) UIBackendPtr()->PutClipboardText("");
}

QVStatus UIClipboardPut(const char* flavour, const void* data, size_t size) {
  if (!flavour || !*flavour || (size && !data) || size > kMaxClipboardBytes) return kQVErrParam;
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  UIState().clipboard[flavour].assign(bytes, bytes + size);
  if (IsText(flavour) && UIBackendPtr())
    UIBackendPtr()->PutClipboardText(std::string(reinterpret_cast<const char*>(bytes), size));
  return kQVNoErr;
}

QVStatus UIClipboardGet(const char* flavour, std::vector<uint8_t>* data) {
  if (!flavour || !data) return kQVErrParam;
  if (IsText(flavour) && UIBackendPtr()) {
    std::string text;
    if (UIBackendPtr()->GetClipboardText(&text) && !text.empty()) {
      data->assign(text.begin(), text.end());
      return kQVNoErr;
    }
  }
  const auto& clipboard = UIState().clipboard;
  auto it = clipboard.find(flavour);
  if (it == clipboard.end()) return kQVErrFileNotFound;
  *data = it->second;
  return kQVNoErr;
}

bool UIClipboardHas(const char* flavour) {
  std::vector<uint8_t> bytes;
  return UIClipboardGet(flavour, &bytes) == kQVNoErr;
}

int32_t UIDisplayCount() { return UIBackendPtr() ? int32_t(UIBackendPtr()->Displays().size()) : 0; }

UIRect UIGetDisplayBounds(int32_t display) {
  if (!UIBackendPtr()) return UIRect{};
  std::vector<UIRect> displays = UIBackendPtr()->Displays();
  if (display < 0 || display >= int32_t(displays.size())) return UIRect{};
  return displays[size_t(display)];
}

int32_t UIGetMainDisplay() { return 0; }

int32_t UIDisplayForRect(const UIRect& r) {
  if (!UIBackendPtr()) return 0;
  std::vector<UIRect> displays = UIBackendPtr()->Displays();
  int32_t best = 0;
  int64_t bestArea = 0;
  for (size_t i = 0; i < displays.size(); ++i) {
    UIRect x = UIRectIntersect(displays[i], r);
    int64_t area = int64_t(UIRectWidth(x)) * UIRectHeight(x);
    if (area > bestArea) {
      bestArea = area;
      best = int32_t(i);
    }
  }
  return best;
}

void UIBeep() {
  if (UIBackendPtr()) UIBackendPtr()->Beep();
}
