#include "app/surfaces/surface_lights.h"

#include <cmath>
#include <cstring>

#include "app/state/undo_ring.h"
#include "app/state/view_state.h"
#include "app/surfaces/surface_link.h"
#include "core/settings_record.h"
#include "platform/ui/ui_services.h"
#include "settings/prefs.h"

namespace {

constexpr int32_t kDisplayChars = 24;

bool KindFour() { return gPrefsSettings.controlSurfaceMode == 4; }

void Send(const std::vector<uint8_t>& message) {
  if (!message.empty()) SurfaceLinkWriteRaw(message.data(), message.size());
}

// The value of the 32-bit field at a byte offset of the working record, as
// a number (integers for integer fields).
bool FieldValue(int32_t offset, double* value) {
  if (offset < 0 || offset + 4 > kVLSettingsByteCount || offset % 4 != 0) return false;
  const uint8_t* base = reinterpret_cast<const uint8_t*>(&gUISettings) + offset;
  const VLSettingsFieldName* named = nullptr;
  for (const VLSettingsFieldName& f : kSettingsFieldNames)
    if (int64_t(f.offset) == offset) named = &f;
  if (named && named->type == kVLFieldFloat) {
    float f;
    std::memcpy(&f, base, 4);
    *value = f;
  } else {
    int32_t i;
    std::memcpy(&i, base, 4);
    *value = i;
  }
  return true;
}

// The trackball colours' bits.
bool ColorBits(uint32_t color, int32_t* a, int32_t* b) {
  switch (color) {
    case kSurfaceRed: *a = 1, *b = 1; return true;
    case kSurfaceGreen: *a = 1, *b = 0; return true;
    case kSurfaceBlue: *a = 0, *b = 1; return true;
    case kSurfaceBlack: *a = 0, *b = 0; return true;
    default: return false;
  }
}

}  // namespace

int32_t SurfaceRound(float x) {
  if (!std::isfinite(x)) return 0;
  const double r = std::round(double(x));
  return r >= 2147483647.0 ? INT32_MAX : r <= -2147483648.0 ? INT32_MIN : int32_t(r);
}

std::vector<uint8_t> SurfaceLightMessage(int32_t light, bool lit) {
  if (light < 0 || light > 511) return {};
  const bool unitB = light >= 256;
  const uint8_t l = uint8_t(light & 0xFF), s = lit ? 0 : 1;
  if (KindFour()) return {0xF0, 0x15, 0x25, uint8_t(unitB ? 0x56 : 0x55), 0x03, l, s, 0xF7};
  return {0xF0, 0x15, 0x28, uint8_t(unitB ? 0x06 : 0x03), l, s, 0xF7};
}

void SurfaceSetLight(int32_t light, bool lit) { Send(SurfaceLightMessage(light, lit)); }

std::vector<uint8_t> SurfaceDisplayLineMessage(int32_t display, int32_t line, const char* text, int32_t justification) {
  if (!text) return {};
  static const uint8_t kPlace[2][2] = {{0x00, 0x20}, {0x40, 0x60}};
  const uint8_t place = kPlace[display == 2 ? 1 : 0][line == 2 ? 1 : 0];
  std::vector<uint8_t> m = KindFour() ? std::vector<uint8_t>{0xF0, 0x15, 0x25, 0x55, 0x01, place, 0x18}
                                      : std::vector<uint8_t>{0xF0, 0x15, 0x28, 0x01, place, 0x18};
  const int32_t length = int32_t(strnlen(text, kDisplayChars));
  const int32_t spaces = kDisplayChars - length;
  int32_t before = -1;
  if (justification == -2) before = 0;
  else if (justification == 1) before = spaces / 2;
  else if (justification == -1) before = spaces;
  if (before >= 0) {
    m.insert(m.end(), size_t(before), ' ');
    for (int32_t i = 0; i < length; ++i) {
      const uint8_t c = uint8_t(text[i]);
      m.push_back(c >= 0x80 ? '?' : c);
    }
    m.insert(m.end(), size_t(spaces - before), ' ');
  }
  m.push_back(0xF7);
  return m;
}

void SurfaceWriteDisplayLine(int32_t display, int32_t line, const char* text, int32_t justification) {
  Send(SurfaceDisplayLineMessage(display, line, text, justification));
}

void SurfaceSetTrackballColor(int32_t trackball, int32_t a, int32_t b) {
  if (trackball >= 0 && trackball <= 2) {
    std::vector<uint8_t> both = SurfaceLightMessage(10 + 4 * trackball, a != 0);
    const std::vector<uint8_t> second = SurfaceLightMessage(11 + 4 * trackball, b != 0);
    both.insert(both.end(), second.begin(), second.end());
    Send(both);
  } else if (trackball == 3) {
    if (a && b) SurfaceSetLight(256 + 10, true);
    else if (a) SurfaceSetLight(256 + 11, true);
    else if (b) SurfaceSetLight(256 + 12, true);
    else SurfaceSetLight(256 + 10, false);
  }
}

void SurfaceSetTrackballColorWord(int32_t trackball, uint32_t color) {
  int32_t a = 0, b = 0;
  if (ColorBits(color, &a, &b)) SurfaceSetTrackballColor(trackball, a, b);
}

int32_t SurfaceLightOfControl(int32_t id) {
  static const int32_t kSelect[6] = {9, 8, 13, 12, 17, 16};
  if (id >= 513 && id <= 520) return 256 + id - 513;
  if (id >= 521 && id <= 528) return 256 + id - 521;
  if (id >= 541 && id <= 546) return kSelect[id - 541];
  if (id >= 547 && id <= 552) return kSelect[id - 547];
  return -1;
}

void SurfaceSendControlValues(const SurfaceControlDefinition* first, int32_t count) {
  for (int32_t i = 0; first && i < count && first[i].controlID != 0; ++i) {
    const SurfaceControlDefinition& d = first[i];
    const int32_t light = SurfaceLightOfControl(d.controlID);
    if (light < 0) continue;
    double value = 0;
    if (d.action == kSurfaceActionToggleControl && FieldValue(d.target1, &value)) {
      SurfaceSetLight(light, value != 0);
    } else if (d.action == kSurfaceActionSetControlValue && FieldValue(d.target1, &value)) {
      SurfaceSetLight(light, value == double(SurfaceRound(d.scaleX)));
    } else if (d.action == kSurfaceActionRestoreSettings) {
      SurfaceSetLight(light, SurfaceRound(d.scaleX) == gLastSavedSettingsSlot);
    }
  }
}

void SurfaceRefreshPage() {
  if (SurfaceControlDefinition* controls = SurfacePageControls(gSurfaceCurrentPage))
    SurfaceSendControlValues(controls, kSurfaceControlsPerPage);
}

void SurfaceShowPageHeader(int32_t page) {
  const SurfacePageDefinition* p = SurfacePageHeader(page);
  if (!p || !p->active) {
    TKBeep();
    return;
  }
  SurfaceLightPageLED(page);
  SurfaceWriteDisplayLine(1, 1, p->leftLine1, 1);
  SurfaceWriteDisplayLine(1, 2, p->leftLine2, 1);
  SurfaceWriteDisplayLine(2, 1, p->rightLine1, 1);
  SurfaceWriteDisplayLine(2, 2, p->rightLine2, 1);
  for (int32_t k = 0; k < 4; ++k) SurfaceSetTrackballColorWord(k, p->trackballColor[k]);
  gSurfaceCurrentPage = page;
}

void SurfaceLightPageLED(int32_t page) {
  for (int32_t k = 0; k < 7; ++k) SurfaceSetLight(k, page == k + 1);
}

void SurfaceSetSelectButtonLEDs(uint32_t mask) {
  static const int32_t kLights[6] = {8, 9, 12, 13, 16, 17};
  for (int32_t i = 0; i < 6; ++i) SurfaceSetLight(kLights[i], (mask >> i) & 1);
}

void SurfaceSetSlotLEDs(int16_t slot, uint8_t shift) {
  static const uint8_t kLights[8] = {12, 13, 14, 15, 16, 17, 28, 29};
  for (int32_t i = 0; i < 8; ++i) SurfaceLinkSetLight(kLights[i], slot == i + 1);
  SurfaceLinkSetLight(30, shift);
}

void SurfaceSetBankLEDs(int16_t bank) {
  for (int32_t i = 0; i < 8; ++i) SurfaceLinkSetLight(uint8_t(40 + i), bank == i + 1);
}

void SurfaceSetTransportLEDs(int16_t state) {
  for (int32_t i = 0; i < 5; ++i) SurfaceLinkSetLight(uint8_t(i), state == i);
}

bool SurfacePackTimecode(const char* text, uint32_t* packed) {
  static const int kDigits[8] = {0, 1, 3, 4, 6, 7, 9, 10};
  if (!text || strnlen(text, 12) < 11) return false;
  uint32_t v = 0;
  for (int pos : kDigits) {
    if (text[pos] < '0' || text[pos] > '9') return false;
    v = (v << 4) | uint32_t(text[pos] - '0');
  }
  *packed = v;
  return true;
}

void SurfaceShowTimecode(const char* text) {
  uint32_t packed = 0;
  if (SurfacePackTimecode(text, &packed)) SurfaceLinkWriteTimecode(packed);
}
