#include "app/surfaces/surface_dialog_forms.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/surfaces/surface_text.h"
#include "core/settings_record.h"

namespace {

struct Row {
  int32_t field;
  std::string name;
  int32_t kind;
};

int32_t FieldOf(const std::string& name) {
  const VLSettingsFieldName* f = VL_FindSettingsField(name.c_str());
  return f ? int32_t(f->offset) : -1;
}

void Separator(std::vector<Row>& rows) { rows.push_back({0, "-", kSurfaceTargetSeparator}); }

void Add(std::vector<Row>& rows, const std::string& field, const std::string& name, int32_t kind) {
  const int32_t offset = FieldOf(field);
  if (offset >= 0) rows.push_back({offset, name, kind});
}

std::vector<Row> BuildRows() {
  std::vector<Row> rows;
  Add(rows, "inputControls_highlight_recovery", "Input Highlight Recovery", kSurfaceTargetSlider);
  Separator(rows);
  static const char* const kRanges[4][2] = {
      {"master", "Master"}, {"highlights", "Highlights"}, {"midtones", "Midtones"}, {"shadows", "Shadows"}};
  static const char* const kHSL[9][2] = {{"hue", "Hue"},
                                         {"saturation", "Saturation"},
                                         {"vibrance", "Vibrance"},
                                         {"brightness", "Brightness"},
                                         {"contrast", "Contrast"},
                                         {"contrastCenter", "Contrast Center"},
                                         {"gain", "Gain"},
                                         {"gamma", "Gamma"},
                                         {"pedestal", "Pedestal"}};
  for (const auto& r : kRanges) {
    for (const auto& f : kHSL)
      Add(rows, std::string("hsl_") + r[0] + "_" + f[0], std::string("HSL ") + r[1] + " " + f[1], kSurfaceTargetSlider);
    Separator(rows);
  }
  struct Section {
    const char* field;
    const char* name;
    const char* channels[3][2];
  };
  static const Section kSections[3] = {
      {"rgb", "RGB", {{"r", "Red"}, {"g", "Green"}, {"b", "Blue"}}},
      {"cmy", "CMY", {{"c", "Cyan"}, {"m", "Magenta"}, {"y", "Yellow"}}},
      {"ycbcr", "YCbCr", {{"y", "Y"}, {"cb", "Cb"}, {"cr", "Cr"}}},
  };
  static const char* const kParts[3][2] = {{"gain", "Gain"}, {"gamma", "Gamma"}, {"ped", "Pedestal"}};
  for (const Section& s : kSections) {
    for (const auto& r : kRanges) {
      const std::string field = std::string(s.field) + "_" + r[0] + "_";
      const std::string name = std::string(s.name) + " " + r[1] + " ";
      for (const auto& p : kParts) Add(rows, field + p[0], name + p[1], kSurfaceTargetSlider);
      for (const auto& c : s.channels)
        for (const auto& p : kParts)
          Add(rows, field + c[0] + "_" + p[0], name + c[1] + " " + p[1], kSurfaceTargetSlider);
      Separator(rows);
    }
  }
  static const char* const kWheels[4][2] = {
      {"master", "Master"}, {"shadow", "Shadows"}, {"midtone", "Midtones"}, {"highlight", "Highlights"}};
  for (const auto& w : kWheels) {
    const std::string field = std::string("hueoffset_") + w[0] + "_";
    const std::string name = std::string("Hue Offset ") + w[1] + " ";
    Add(rows, field + "huewheel", name + "Hue Wheel", kSurfaceTargetHueWheel);
    Add(rows, field + "tintangle", name + "Tint Angle", kSurfaceTargetTintAngle);
    Add(rows, field + "strength", name + "Strength", kSurfaceTargetSlider);
  }
  Separator(rows);
  static const char* const kSecondary[8][2] = {{"lumatol", "Luma Tolerance"}, {"chromatol", "Chroma Tolerance"},
                                               {"softness", "Softness"},      {"hue", "Hue"},
                                               {"saturation", "Saturation"},  {"gain", "Gain"},
                                               {"gamma", "Gamma"},            {"ped", "Pedestal"}};
  for (char letter = 'a'; letter <= 'f'; ++letter) {
    const std::string field = std::string("secondary_") + letter + "_";
    const std::string name = std::string("Secondary ") + char(letter - 'a' + 'A') + " ";
    for (const auto& f : kSecondary) Add(rows, field + f[0], name + f[1], kSurfaceTargetSlider);
    Add(rows, field + "invert", name + "Invert", kSurfaceTargetCheckBox);
    Add(rows, field + "hueoffset_huewheel", name + "Hue Offset Hue Wheel", kSurfaceTargetHueWheel);
    Add(rows, field + "hueoffset_tintangle", name + "Hue Offset Tint Angle", kSurfaceTargetTintAngle);
    Add(rows, field + "hueoffset_strength", name + "Hue Offset Strength", kSurfaceTargetSlider);
    Separator(rows);
  }
  Add(rows, "limiter_enable", "Limiter Enable", kSurfaceTargetCheckBox);
  Add(rows, "limiter_preview", "Limiter Preview", kSurfaceTargetCheckBox);
  Add(rows, "limiter_softclip_enable", "Limiter Soft Clip Enable", kSurfaceTargetCheckBox);
  Add(rows, "limiter_softclip_knee", "Limiter Soft Clip Knee", kSurfaceTargetSlider);
  Add(rows, "limiter_softclip_white_level", "Limiter Soft Clip White Level", kSurfaceTargetSlider);
  Add(rows, "limiter_softclip_max_level", "Limiter Soft Clip Max Level", kSurfaceTargetSlider);
  Add(rows, "limiter_luma_max", "Limiter Luma Max", kSurfaceTargetSlider);
  Add(rows, "limiter_chroma_min", "Limiter Chroma Min", kSurfaceTargetSlider);
  Add(rows, "limiter_chroma_max", "Limiter Chroma Max", kSurfaceTargetSlider);
  Add(rows, "limiter_highlight_recovery", "Limiter Highlight Recovery", kSurfaceTargetSlider);
  Separator(rows);
  Add(rows, "outputControls_highlight_recovery", "Output Highlight Recovery", kSurfaceTargetSlider);
  return rows;
}

struct Table {
  std::vector<Row> rows;
  std::vector<SurfaceTargetRow> view;
  Table() : rows(BuildRows()) {
    for (const Row& r : rows) view.push_back({r.field, r.name.c_str(), r.kind});
    view.push_back({-1, "", kSurfaceTargetSeparator});
  }
};

const Table& TheTable() {
  static const Table table;
  return table;
}

constexpr int32_t kNone = kSurfaceNoTarget;

// Rotation items and their actions; 0 marks a separator. Item 7 is the
// settings pane in every dialog, so what a dialog shows is what it stores.
constexpr int32_t kRotationActions[kSurfaceRotationItems + 1] = {
    kSurfaceActionNone,
    kSurfaceActionNone,           kSurfaceActionPlaceholder,   kSurfaceActionAdjustSlider,
    kSurfaceActionPlaceholder,    kSurfaceActionSelectLeftPane, kSurfaceActionSelectRightPane,
    kSurfaceActionSelectSettingsPane, kSurfaceActionPlaceholder, kSurfaceActionWipeLeftPane,
    kSurfaceActionWipeRightPane};

constexpr int32_t kClickActions[kSurfaceClickItems + 1] = {
    kSurfaceActionNone,          kSurfaceActionNone,          kSurfaceActionPlaceholder,
    kSurfaceActionToggleControl, kSurfaceActionSetControlValue, kSurfaceActionPlaceholder,
    kSurfaceActionToggleLeftPane, kSurfaceActionToggleRightPane, kSurfaceActionToggleSettingsPane,
    kSurfaceActionPlaceholder,   kSurfaceActionSaveSettings,  kSurfaceActionRestoreSettings};

constexpr uint32_t kColorItems[4] = {kSurfaceBlack, kSurfaceRed, kSurfaceGreen, kSurfaceBlue};

void ClearTargets(SurfaceControlDefinition* e) {
  e->targetControl = kNone;
  e->target1 = kNone;
  e->target2 = kNone;
}

bool IsEncoderS(int32_t id) { return id >= kSurfaceEncoderS1 && id <= kSurfaceEncoderS1 + 5; }

}  // namespace

const SurfaceTargetRow* SurfaceTargetTable() { return TheTable().view.data(); }
int32_t SurfaceTargetRowCount() { return int32_t(TheTable().rows.size()); }

const SurfaceTargetRow* SurfaceTargetRowAt(int32_t row) {
  if (row < 1 || row > SurfaceTargetRowCount()) return nullptr;
  return &TheTable().view[size_t(row - 1)];
}

int32_t SurfaceTargetRowOfField(int32_t field) {
  if (field < 0) return 0;
  const auto& rows = TheTable().rows;
  for (size_t i = 0; i < rows.size(); ++i)
    if (rows[i].kind != kSurfaceTargetSeparator && rows[i].field == field) return int32_t(i + 1);
  return 0;
}

bool SurfaceTargetMenuLists(SurfaceTargetMenu menu, const SurfaceTargetRow& row) {
  switch (menu) {
    case SurfaceTargetMenu::kRotation:
      return row.kind == kSurfaceTargetSeparator || row.kind == kSurfaceTargetSlider ||
             row.kind == kSurfaceTargetTintAngle;
    case SurfaceTargetMenu::kTrackball:
      return row.kind == kSurfaceTargetSeparator || row.kind == kSurfaceTargetSlider ||
             row.kind == kSurfaceTargetHueWheel || row.kind == kSurfaceTargetTintAngle;
    case SurfaceTargetMenu::kClick:
      return row.kind == 5 || row.kind == kSurfaceTargetCheckBox;
  }
  return false;
}

int32_t SurfaceRotationItemForAction(int32_t action) {
  if (action >= kSurfaceActionAdjustSlider && action <= kSurfaceActionAdjustHueAngle) return kSurfaceRotationAdjust;
  for (int32_t item = 5; item <= kSurfaceRotationItems; ++item)
    if (kRotationActions[item] == action && action != kSurfaceActionPlaceholder) return item;
  return 1;
}

int32_t SurfaceRotationActionForItem(int32_t item) {
  if (item < 1 || item > kSurfaceRotationItems || SurfaceRotationItemIsSeparator(item)) return kSurfaceActionNone;
  return kRotationActions[item];
}

bool SurfaceRotationItemIsSeparator(int32_t item) { return item == 2 || item == 4 || item == 8; }

int32_t SurfaceClickItemForAction(int32_t action) {
  for (int32_t item = 3; item <= kSurfaceClickItems; ++item)
    if (kClickActions[item] == action && action != kSurfaceActionPlaceholder) return item;
  return 1;
}

int32_t SurfaceClickActionForItem(int32_t item) {
  if (item < 1 || item > kSurfaceClickItems || SurfaceClickItemIsSeparator(item)) return kSurfaceActionNone;
  return kClickActions[item];
}

bool SurfaceClickItemIsSeparator(int32_t item) { return item == 2 || item == 5 || item == 9; }

std::string SurfaceFormatFloat(float value) {
  char text[64];
  std::snprintf(text, sizeof text, "%1.8f", double(value));
  std::string s = text;
  const size_t point = s.find('.');
  if (point == std::string::npos) return s;
  while (s.size() > point + 2 && s.back() == '0') s.pop_back();
  return s;
}

float SurfaceParseNumber(const std::string& text) {
  const char* start = text.c_str();
  while (*start == ' ' || *start == '\t') ++start;
  char* end = nullptr;
  const double v = std::strtod(start, &end);
  if (end == start) return 0;
  while (*end == ' ' || *end == '\t') ++end;
  if (*end != 0 || !std::isfinite(v) || std::fabs(v) > 3.0e38) return 0;
  return float(v);
}

int32_t SurfaceFindControlEntry(const SurfaceControlDefinition* table, int32_t controlID) {
  if (!table) return -1;
  for (int32_t i = 0; i < kSurfaceControlsPerPage; ++i) {
    if (table[i].controlID == 0) return -1;
    if (table[i].controlID == controlID) return i;
  }
  return -1;
}

uint32_t SurfaceColorOfItem(int32_t item) { return item >= 1 && item <= 4 ? kColorItems[item - 1] : kSurfaceBlack; }

void SurfaceFillPageForm(const SurfacePageDefinition& page, SurfacePageForm* form) {
  form->active = page.active != 0;
  for (int32_t i = 0; i < 4; ++i) {
    form->colorItem[i] = 1;
    for (int32_t item = 1; item <= 4; ++item)
      if (page.trackballColor[i] == kColorItems[item - 1]) form->colorItem[i] = item;
  }
  const char* const lines[4] = {page.leftLine1, page.leftLine2, page.rightLine1, page.rightLine2};
  for (int32_t i = 0; i < 4; ++i) form->lines[i] = SurfaceLatin1ToUTF8(lines[i], kSurfaceDisplayLineBytes - 1);
}

void SurfaceApplyPageForm(const SurfacePageForm& form, SurfacePageDefinition* page) {
  page->active = form.active ? 1 : 0;
  for (int32_t i = 0; i < 4; ++i) page->trackballColor[i] = SurfaceColorOfItem(form.colorItem[i]);
  char* const lines[4] = {page->leftLine1, page->leftLine2, page->rightLine1, page->rightLine2};
  for (int32_t i = 0; i < 4; ++i) SurfaceUTF8ToLatin1(form.lines[i], lines[i], kSurfaceDisplayLineBytes);
}

void SurfaceFillKnobForm(const SurfaceControlDefinition& entry, SurfaceRotationForm* form) {
  form->actionItem = SurfaceRotationItemForAction(entry.action);
  form->scaleText = SurfaceFormatFloat(entry.scaleX);
  form->targetActive = form->actionItem == kSurfaceRotationAdjust;
  const int32_t row = form->targetActive ? SurfaceTargetRowOfField(entry.target1) : 0;
  form->targetRow = row > 0 ? row : 1;
}

void SurfaceApplyKnobForm(const SurfaceRotationForm& form, SurfaceControlDefinition* entry) {
  const SurfaceTargetRow* row = SurfaceTargetRowAt(form.targetRow);
  const bool adjust = form.actionItem == kSurfaceRotationAdjust && row &&
                      (row->kind == kSurfaceTargetSlider || row->kind == kSurfaceTargetTintAngle);
  if (adjust) {
    entry->action = row->kind == kSurfaceTargetTintAngle ? kSurfaceActionAdjustHueAngle : kSurfaceActionAdjustSlider;
    entry->target1 = row->field;
    entry->target2 = kNone;
    entry->scaleX = SurfaceParseNumber(form.scaleText);
    // A tint angle is turned through its hue wheel, the word before it.
    entry->targetControl = row->kind == kSurfaceTargetTintAngle ? row->field - 4 : row->field;
  } else {
    entry->action = form.actionItem == kSurfaceRotationAdjust ? kSurfaceActionNone
                                                              : SurfaceRotationActionForItem(form.actionItem);
    ClearTargets(entry);
    entry->scaleX = IsEncoderS(entry->controlID) ? 0.25f : 1.0f;
  }
  entry->scaleY = 0;
  entry->updateLEDs = 0;
}

void SurfaceFillTrackballForm(const SurfaceControlDefinition& entry, SurfaceRotationForm* form) {
  form->actionItem = SurfaceRotationItemForAction(entry.action);
  form->scaleText = SurfaceFormatFloat(entry.scaleX != 0 ? entry.scaleX : entry.scaleY);
  form->targetActive = form->actionItem == kSurfaceRotationAdjust;
  int32_t row = form->targetActive ? SurfaceTargetRowOfField(entry.target1) : 0;
  // A hue wheel's entry names its tint angle; the wheel's own row is the one before.
  if (row > 1 && entry.action == kSurfaceActionAdjustHueOffset && entry.target2 != kNone) --row;
  form->targetRow = row > 0 ? row : 1;
}

void SurfaceApplyTrackballForm(const SurfaceRotationForm& form, int32_t axis, SurfaceControlDefinition* entry) {
  const SurfaceTargetRow* row = SurfaceTargetRowAt(form.targetRow);
  const bool adjust = form.actionItem == kSurfaceRotationAdjust && row && row->kind >= kSurfaceTargetSlider &&
                      row->kind <= kSurfaceTargetTintAngle;
  entry->updateLEDs = 0;
  if (!adjust) {
    entry->action = form.actionItem == kSurfaceRotationAdjust ? kSurfaceActionNone
                                                              : SurfaceRotationActionForItem(form.actionItem);
    ClearTargets(entry);
    entry->scaleX = entry->scaleY = 0.04f;
    return;
  }
  const float scale = SurfaceParseNumber(form.scaleText);
  entry->target1 = row->field;
  entry->target2 = kNone;
  switch (row->kind) {
    case kSurfaceTargetTintAngle:
      entry->action = kSurfaceActionAdjustHueAngle;
      entry->targetControl = row->field - 4;
      break;
    case kSurfaceTargetHueWheel:
      entry->action = kSurfaceActionAdjustHueOffset;
      entry->target1 = row->field + 4;  // the wheel's tint angle
      entry->target2 = row->field + 8;  // and its strength
      entry->targetControl = row->field;
      break;
    default:
      entry->action = kSurfaceActionAdjustSlider;
      entry->targetControl = row->field;
      break;
  }
  if (axis == 0) {
    entry->scaleX = scale;
    entry->scaleY = 0;
  } else {
    entry->scaleY = scale;
    entry->scaleX = row->kind == kSurfaceTargetHueWheel ? 0 : scale;
  }
}

SurfaceClickFieldStates SurfaceClickStates(int32_t actionItem) {
  switch (actionItem) {
    case 1: return {false, false, false};
    case kSurfaceClickToggle: return {true, false, true};
    case kSurfaceClickSetValue: return {true, true, true};
    case 10:
    case 11: return {false, true, true};
    default: return {false, false, true};
  }
}

void SurfaceFillClickForm(const SurfaceControlDefinition& entry, SurfaceClickForm* form) {
  form->actionItem = SurfaceClickItemForAction(entry.action);
  form->valueText = SurfaceFormatFloat(entry.scaleX);
  const bool target = form->actionItem == kSurfaceClickToggle || form->actionItem == kSurfaceClickSetValue;
  const int32_t row = target ? SurfaceTargetRowOfField(entry.target1) : 0;
  form->targetRow = row > 0 ? row : 1;
  form->updateLEDs = entry.updateLEDs != 0;
}

void SurfaceApplyClickForm(const SurfaceClickForm& form, SurfaceControlDefinition* entry) {
  const int32_t action = SurfaceClickActionForItem(form.actionItem);
  const SurfaceTargetRow* row = SurfaceTargetRowAt(form.targetRow);
  const bool targeted = action == kSurfaceActionSetControlValue || action == kSurfaceActionToggleControl;
  if (targeted && row && row->kind != kSurfaceTargetSeparator) {
    entry->action = action;
    entry->target1 = row->field;
    entry->targetControl = row->field;
    entry->target2 = kNone;
    entry->scaleX = action == kSurfaceActionSetControlValue ? SurfaceParseNumber(form.valueText) : 0;
  } else {
    entry->action = targeted ? kSurfaceActionNone : action;
    ClearTargets(entry);
    entry->scaleX = SurfaceParseNumber(form.valueText);
  }
  entry->scaleY = 0;
  entry->updateLEDs = form.updateLEDs ? 1 : 0;
}
