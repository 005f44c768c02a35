// What a program with windows knows about the user's input and its place
// among the running programs: mouse buttons, modifier keys, whether it is
// the front program, and the displays. The toolkit fills these hooks; a
// program without a window gets the default answers: no button, no
// modifier, front program, one main display of 1920 x 1080.
#pragma once

#include <cstdint>

#include "platform/status.h"

// Modifier bits as the event system reports them.
enum : uint32_t {
  kPLModifierCommand = 0x0100,
  kPLModifierShift = 0x0200,
  kPLModifierCapsLock = 0x0400,
  kPLModifierOption = 0x0800,
  kPLModifierControl = 0x1000,
};

struct PLDisplayInfo {
  int32_t left, top, width, height;
  bool isMain;
};

struct PLInputHooks {
  uint32_t (*mouseButtons)();      // bit 0 primary button, bit 1 secondary, ...
  uint32_t (*keyboardModifiers)(); // kPLModifier bits
  bool (*isFrontProcess)();
  // Fills up to max displays in the system's order; returns how many exist.
  int (*displays)(PLDisplayInfo* out, int max);
};

// Replaces the hooks; a null table, or a null member, restores the default.
void PLSetInputHooks(const PLInputHooks* hooks);

uint32_t PLGetMouseButtons();
uint32_t PLGetKeyboardModifiers();
bool PLIsFrontProcess();
int PLGetDisplays(PLDisplayInfo* out, int max);

// The current process as the process list knows it: its type ('APPL' for an
// application) and its four-character signature. A host program sets them
// at start; until then kQVErrFileNotFound is returned.
void PLSetProcessSignature(uint32_t type, uint32_t signature);
QVStatus PLGetProcessSignature(uint32_t* type, uint32_t* signature);
