#include "app/state/focus_text.h"

#include <cmath>

#include "platform/ui/toolkit.h"

namespace {

// Unicode of the Mac Roman characters 0x80 to 0xFF.
constexpr uint16_t kMacRomanHigh[128] = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1, 0x00E0, 0x00E2, 0x00E4, 0x00E3, 0x00E5,
    0x00E7, 0x00E9, 0x00E8, 0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3, 0x00F2, 0x00F4,
    0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC, 0x2020, 0x00B0, 0x00A2, 0x00A3, 0x00A7, 0x2022, 0x00B6,
    0x00DF, 0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8, 0x221E, 0x00B1, 0x2264, 0x2265,
    0x00A5, 0x00B5, 0x2202, 0x2211, 0x220F, 0x03C0, 0x222B, 0x00AA, 0x00BA, 0x03A9, 0x00E6, 0x00F8, 0x00BF,
    0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB, 0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5,
    0x0152, 0x0153, 0x2013, 0x2014, 0x201C, 0x201D, 0x2018, 0x2019, 0x00F7, 0x25CA, 0x00FF, 0x0178, 0x2044,
    0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02, 0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1,
    0x00CB, 0x00C8, 0x00CD, 0x00CE, 0x00CF, 0x00CC, 0x00D3, 0x00D4, 0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9,
    0x0131, 0x02C6, 0x02DC, 0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7,
};

QVStatus DrawAt(TKContext* ctx, TKPoint pen, const char* text, int32_t fontID, TKTextAlign align) {
  if (!text || !ctx) return kQVErrParam;
  const std::string utf8 = QVMacRomanToUTF8(text);
  TKDrawText(ctx, UIInterfaceFont(fontID), utf8.c_str(), pen.x - 1, pen.y, align);
  return kQVNoErr;
}

}  // namespace

void QVAppendUTF8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += char(cp);
  } else if (cp < 0x800) {
    out += char(0xC0 | (cp >> 6));
    out += char(0x80 | (cp & 0x3F));
  } else {
    out += char(0xE0 | (cp >> 12));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  }
}

QVStatus QVSetKeyboardFocusToControl(TKControl* control) {
  TKWindow* window = control ? TKGetControlWindow(control) : nullptr;
  if (!window) return kQVNoErr;
  return TKSetKeyboardFocus(window, control);
}

void QVClearKeyboardFocus(TKWindow* window) {
  // Taking the focus away from every control cannot be refused.
  if (window) QVIgnoreStatus(TKSetKeyboardFocus(window, nullptr));
}

TKFont UIInterfaceFont(int32_t fontID) {
  TKFont font;
  font.family = "Lucida Grande";
  font.size = fontID == kUIFontScope ? 10 : 11;
  return font;
}

std::string QVMacRomanToUTF8(const char* text) {
  std::string out;
  for (const char* p = text; p && *p; ++p) {
    const auto byte = static_cast<unsigned char>(*p);
    QVAppendUTF8(out, byte < 0x80 ? byte : kMacRomanHigh[byte - 0x80]);
  }
  return out;
}

int32_t QVGetThemeTextWidth(const char* text, int32_t fontID) {
  if (!text) return 0;
  const std::string utf8 = QVMacRomanToUTF8(text);
  return int32_t(std::ceil(TKMeasureText(UIInterfaceFont(fontID), utf8.c_str()).width));
}

QVStatus QVDrawThemeTextAtPen(TKContext* ctx, TKPoint pen, const char* text, int32_t fontID) {
  return DrawAt(ctx, pen, text, fontID, kTKAlignLeft);
}

QVStatus QVDrawThemeTextRightAligned(TKContext* ctx, TKPoint pen, const char* text, int32_t fontID) {
  return DrawAt(ctx, pen, text, fontID, kTKAlignRight);
}
