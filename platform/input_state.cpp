#include "platform/input_state.h"

#include <mutex>

namespace {

uint32_t NoButtons() { return 0; }
uint32_t NoModifiers() { return 0; }
bool AlwaysFront() { return true; }
int OneDisplay(PLDisplayInfo* out, int max) {
  if (out != nullptr && max > 0) out[0] = {0, 0, 1920, 1080, true};
  return 1;
}

const PLInputHooks kDefaults{NoButtons, NoModifiers, AlwaysFront, OneDisplay};

struct State {
  std::mutex lock;
  PLInputHooks hooks = kDefaults;
  bool processKnown = false;
  uint32_t processType = 0, processSignature = 0;
};

State& TheState() {
  static State state;
  return state;
}

PLInputHooks Hooks() {
  std::lock_guard<std::mutex> g(TheState().lock);
  return TheState().hooks;
}

}  // namespace

void PLSetInputHooks(const PLInputHooks* hooks) {
  PLInputHooks h = kDefaults;
  if (hooks != nullptr) {
    if (hooks->mouseButtons) h.mouseButtons = hooks->mouseButtons;
    if (hooks->keyboardModifiers) h.keyboardModifiers = hooks->keyboardModifiers;
    if (hooks->isFrontProcess) h.isFrontProcess = hooks->isFrontProcess;
    if (hooks->displays) h.displays = hooks->displays;
  }
  std::lock_guard<std::mutex> g(TheState().lock);
  TheState().hooks = h;
}

uint32_t PLGetMouseButtons() { return Hooks().mouseButtons(); }
uint32_t PLGetKeyboardModifiers() { return Hooks().keyboardModifiers(); }
bool PLIsFrontProcess() { return Hooks().isFrontProcess(); }
int PLGetDisplays(PLDisplayInfo* out, int max) { return Hooks().displays(out, max); }

void PLSetProcessSignature(uint32_t type, uint32_t signature) {
  std::lock_guard<std::mutex> g(TheState().lock);
  TheState().processKnown = true;
  TheState().processType = type;
  TheState().processSignature = signature;
}

QVStatus PLGetProcessSignature(uint32_t* type, uint32_t* signature) {
  std::lock_guard<std::mutex> g(TheState().lock);
  if (!TheState().processKnown) return kQVErrFileNotFound;
  if (type) *type = TheState().processType;
  if (signature) *signature = TheState().processSignature;
  return kQVNoErr;
}
