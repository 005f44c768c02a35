#include "app/commands/shell_commands.h"

#include <charconv>
#include <cstdio>
#include <cstring>

#include "app/state/shell_links.h"
#include "app/state/ui_state.h"
#include "app/state/undo_ring.h"
#include "app/window/about_box.h"
#include "platform/ui/toolkit.h"

namespace {

bool parseNumber(const char* text, double* value) {
  const char* end = text + std::strlen(text);
  auto r = std::from_chars(text, end, *value);
  return r.ec == std::errc() && r.ptr == end;
}

}  // namespace

QVStatus UIShellCommand(uint32_t command) {
  switch (command) {
    case kUICommandOK:
      UIShell().finishExchange(true);
      return kQVNoErr;
    case kUICommandCancel:
      UIShell().finishExchange(false);
      return kQVNoErr;
    case kUICommandUndo:
      UndoBufferUndo(gUndoBuffer, &gUISettings);
      return kQVNoErr;
    case kUICommandRedo:
      UndoBufferRedo(gUndoBuffer, &gUISettings);
      return kQVNoErr;
    case kUICommandAbout:
      ShowAboutBox();
      return kQVNoErr;
    case kUICommandQuitApp:
      UIShell().quitApplication();
      return kQVNoErr;
    default:
      return kQVErrNotHandled;
  }
}

namespace {
TKHandlerRef gShellHandler = 0;
}  // namespace

void UIRemoveShellCommands() {
  if (gShellHandler) TKRemoveHandler(gShellHandler);
  gShellHandler = 0;
}

void UIInstallShellCommands() {
  UIRemoveShellCommands();
  gShellHandler = TKInstallAppHandler([](TKEvent& e) -> QVStatus {
    if (e.kind == kTKEventCommand) return UIShellCommand(e.command);
    if (e.kind == kTKEventUpdateCommand && (e.command == kUICommandUndo || e.command == kUICommandRedo)) {
      UndoBufferUpdateMenu(gUndoBuffer);
      return kQVNoErr;
    }
    return kQVErrNotHandled;
  });
}

bool UIEditSettingsField(const char* name, const char* text) {
  const VLSettingsFieldName* field = VL_FindSettingsField(name);
  double value = 0;
  if (!field || !text || !parseNumber(text, &value)) return false;
  UndoBufferPush(gUndoBuffer, &gUISettings);
  auto* at = reinterpret_cast<uint8_t*>(&gUISettings) + field->offset;
  if (field->type == kVLFieldFloat) {
    const float f = float(value);
    std::memcpy(at, &f, 4);
  } else {
    const uint32_t u = uint32_t(int64_t(value));
    std::memcpy(at, &u, 4);
  }
  UIShell().reprocess(true);
  UndoBufferStore(gUndoBuffer, &gUISettings);
  return true;
}

bool UIFormatSettingsField(const char* name, char* out, size_t capacity) {
  const VLSettingsFieldName* field = VL_FindSettingsField(name);
  if (!field || capacity == 0) {
    if (capacity) out[0] = '\0';
    return false;
  }
  const auto* at = reinterpret_cast<const uint8_t*>(&gUISettings) + field->offset;
  if (field->type == kVLFieldFloat) {
    float f;
    std::memcpy(&f, at, 4);
    std::snprintf(out, capacity, "%.9g", double(f));
  } else {
    uint32_t u;
    std::memcpy(&u, at, 4);
    std::snprintf(out, capacity, "%u", u);
  }
  return true;
}
