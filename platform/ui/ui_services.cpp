// Clipboard with named flavours, displays, beep.
#include "platform/ui/ui_services.h"

#include <cstring>

#include "platform/ui/ui_internal.h"

namespace {

constexpr size_t kMaxClipboardBytes = size_t(256) << 20;

bool IsText(const char* flavour) { return std::strcmp(flavour, kTKFlavourText) == 0; }

}  // namespace

void TKClipboardClear() {
  TKState().clipboard.clear();
  if (TKBackendPtr()) TKBackendPtr()->PutClipboardText("");
}

QVStatus TKClipboardPut(const char* flavour, const void* data, size_t size) {
  if (!flavour || !*flavour || (size && !data) || size > kMaxClipboardBytes) return kQVErrParam;
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  TKState().clipboard[flavour].assign(bytes, bytes + size);
  if (IsText(flavour) && TKBackendPtr())
    TKBackendPtr()->PutClipboardText(std::string(reinterpret_cast<const char*>(bytes), size));
  return kQVNoErr;
}

QVStatus TKClipboardGet(const char* flavour, std::vector<uint8_t>* data) {
  if (!flavour || !data) return kQVErrParam;
  if (IsText(flavour) && TKBackendPtr()) {
    std::string text;
    if (TKBackendPtr()->GetClipboardText(&text) && !text.empty()) {
      data->assign(text.begin(), text.end());
      return kQVNoErr;
    }
  }
  const auto& clipboard = TKState().clipboard;
  auto it = clipboard.find(flavour);
  if (it == clipboard.end()) return kQVErrFileNotFound;
  *data = it->second;
  return kQVNoErr;
}

bool TKClipboardHas(const char* flavour) {
  std::vector<uint8_t> bytes;
  return TKClipboardGet(flavour, &bytes) == kQVNoErr;
}

int32_t TKDisplayCount() { return TKBackendPtr() ? int32_t(TKBackendPtr()->Displays().size()) : 0; }

TKRect TKGetDisplayBounds(int32_t display) {
  if (!TKBackendPtr()) return TKRect{};
  std::vector<TKRect> displays = TKBackendPtr()->Displays();
  if (display < 0 || display >= int32_t(displays.size())) return TKRect{};
  return displays[size_t(display)];
}

std::string TKGetDisplayName(int32_t display) {
  std::string name = TKBackendPtr() ? TKBackendPtr()->DisplayName(display) : std::string();
  return name.empty() ? "Display " + std::to_string(display + 1) : name;
}

int32_t TKGetMainDisplay() { return 0; }

int32_t TKDisplayForRect(const TKRect& r) {
  if (!TKBackendPtr()) return 0;
  std::vector<TKRect> displays = TKBackendPtr()->Displays();
  int32_t best = 0;
  int64_t bestArea = 0;
  for (size_t i = 0; i < displays.size(); ++i) {
    TKRect x = TKRectIntersect(displays[i], r);
    int64_t area = int64_t(TKRectWidth(x)) * TKRectHeight(x);
    if (area > bestArea) {
      bestArea = area;
      best = int32_t(i);
    }
  }
  return best;
}

void TKBeep() {
  if (TKBackendPtr()) TKBackendPtr()->Beep();
}
