// The headless backend: no display. Input comes from the test hooks in
// ui_headless.h, stamped with the clock time it becomes ready.
#include <algorithm>
#include <limits>
#include <map>
#include <memory>
#include <string>

#include "platform/ui/ui_draw.h"
#include "platform/ui/ui_headless.h"
#include "platform/ui/ui_internal.h"
#include "platform/ui/ui_loop.h"

namespace {

struct Scripted {
  double at = 0;
  uint64_t order = 0;
  TKEvent event;
};

// The scripted input and the pretend displays, beeps and clipboard belong to
// the backend, so they end with the toolkit.
class HeadlessBackend final : public TKBackend {
 public:
  std::vector<Scripted> script;
  uint64_t lastOrder = 0;
  std::vector<TKRect> displays{TKMakeRect(0, 0, 1600, 1000)};
  int32_t beeps = 0;
  std::string clipboardText;
  bool hasClipboardText = false;

  TKBackendKind Kind() const override { return kTKBackendHeadless; }
  // The screen's stacking, front first, and the window with the keyboard, as a
  // display without a window manager keeps them: a new window starts on top,
  // showing a window leaves the order alone, only a raise moves it, and the
  // keyboard goes nowhere when its window goes away.
  std::vector<TKWindow*> stack;
  TKWindow* focused = nullptr;
  // When asked for, windows are presented as on a screen: the last picture
  // each window showed is kept, and the presents counted.
  bool presenting = false;
  std::map<TKWindow*, std::unique_ptr<TKImage, void (*)(TKImage*)>> shown;
  int64_t presents = 0;

  void OpenWindow(TKWindow* w) override { stack.insert(stack.begin(), w); }
  void CloseWindow(TKWindow* w) override {
    shown.erase(w);
    stack.erase(std::remove(stack.begin(), stack.end(), w), stack.end());
    if (focused == w) focused = nullptr;
  }
  void ShowWindow(TKWindow* w, bool show) override {
    if (!show && focused == w) focused = nullptr;
  }
  void UpdateWindowFrame(TKWindow*) override {}
  void RaiseWindow(TKWindow* w) override {
    stack.erase(std::remove(stack.begin(), stack.end(), w), stack.end());
    stack.insert(stack.begin(), w);
  }
  void FocusWindow(TKWindow* w) override { focused = w; }
  bool NeedsPresent() const override { return presenting; }
  void Present(TKWindow* w) override {
    TKImage* image = w->image.get();
    if (!image) return;
    auto& kept = shown.try_emplace(w, nullptr, TKImageDispose).first->second;
    if (!kept || TKImageWidth(kept.get()) != TKImageWidth(image) || TKImageHeight(kept.get()) != TKImageHeight(image))
      kept.reset(TKImageCreate(TKImageWidth(image), TKImageHeight(image)));
    // Cannot fail: same size, both BGRA.
    if (kept)
      QVIgnoreStatus(TKImageImport(kept.get(), TKImagePixels(image), TKImageRowBytes(image), kTKPixelFormatBGRA));
    ++presents;
  }
  void Pump(std::deque<TKEvent>& out) override {
    double now = TKNow();
    std::stable_sort(script.begin(), script.end(), [](const Scripted& a, const Scripted& b) {
      return a.at < b.at || (a.at == b.at && a.order < b.order);
    });
    size_t n = 0;
    while (n < script.size() && script[n].at <= now) {
      TKEvent e = script[n].event;
      e.time = script[n].at;
      out.push_back(e);
      ++n;
    }
    script.erase(script.begin(), script.begin() + ptrdiff_t(n));
  }
  double NextInputTime() const override {
    double next = std::numeric_limits<double>::infinity();
    for (const Scripted& s : script) next = std::min(next, s.at);
    return next;
  }
  double MaxBlock() const override { return 0.05; }
  std::vector<TKRect> Displays() override { return displays; }
  void SetCursor(int32_t) override {}
  void Beep() override { ++beeps; }
  bool PutClipboardText(const std::string& text) override {
    clipboardText = text;
    hasClipboardText = true;
    return true;
  }
  bool GetClipboardText(std::string* text) override {
    if (!hasClipboardText) return false;
    *text = clipboardText;
    return true;
  }
};

// The running headless backend; null while the toolkit is stopped or shows
// real windows, when scripted input has nowhere to go.
HeadlessBackend* Headless() {
  TKBackend* backend = TKBackendPtr();
  return backend && backend->Kind() == kTKBackendHeadless ? static_cast<HeadlessBackend*>(backend) : nullptr;
}

void Inject(TKEventKind kind, TKWindow* w, TKPoint where, uint32_t mods, double at) {
  TKEvent e;
  e.kind = kind;
  e.window = w;
  e.where = where;
  e.modifiers = mods;
  TKInjectEvent(e, at);
}

// The event as a mouse-down, then as a mouse-up.
void InjectPress(TKEvent e) {
  e.kind = kTKEventMouseDown;
  TKInjectEvent(e);
  e.kind = kTKEventMouseUp;
  TKInjectEvent(e);
}

}  // namespace

std::unique_ptr<TKBackend> TKMakeHeadlessBackend() { return std::make_unique<HeadlessBackend>(); }

void TKSetHeadlessPresenting(bool presenting) {
  if (HeadlessBackend* headless = Headless()) headless->presenting = presenting;
}

TKImage* TKHeadlessPresentedImage(TKWindow* window) {
  HeadlessBackend* headless = Headless();
  if (!headless) return nullptr;
  auto it = headless->shown.find(window);
  return it == headless->shown.end() ? nullptr : it->second.get();
}

int64_t TKHeadlessPresentCount() {
  HeadlessBackend* headless = Headless();
  return headless ? headless->presents : 0;
}

std::vector<TKWindow*> TKHeadlessScreenOrder() {
  std::vector<TKWindow*> shown;
  if (HeadlessBackend* headless = Headless())
    for (TKWindow* w : headless->stack)
      if (TKIsWindowVisible(w)) shown.push_back(w);
  return shown;
}

TKWindow* TKHeadlessKeyboardWindow() {
  HeadlessBackend* headless = Headless();
  return headless ? headless->focused : nullptr;
}

void TKInjectEvent(const TKEvent& e, double at) {
  HeadlessBackend* headless = Headless();
  if (!headless) return;
  headless->script.push_back(Scripted{at < 0 ? TKNow() : at, ++headless->lastOrder, e});
}

void TKInjectMouseDown(TKWindow* w, TKPoint where, uint32_t modifiers, double at) {
  Inject(kTKEventMouseDown, w, where, modifiers, at);
}
void TKInjectMouseUp(TKWindow* w, TKPoint where, uint32_t modifiers, double at) {
  Inject(kTKEventMouseUp, w, where, modifiers, at);
}
void TKInjectMouseDrag(TKWindow* w, TKPoint where, uint32_t modifiers, double at) {
  Inject(kTKEventMouseDragged, w, where, modifiers, at);
}
void TKInjectMouseMove(TKWindow* w, TKPoint where, double at) { Inject(kTKEventMouseMoved, w, where, 0, at); }

void TKInjectClick(TKWindow* w, TKPoint where, uint32_t modifiers, int32_t clickCount) {
  TKEvent e;
  e.window = w;
  e.where = where;
  e.modifiers = modifiers;
  e.clickCount = clickCount;
  InjectPress(e);
}

void TKPostClick(TKWindow* w, TKPoint where) {
  if (TKGetBackendKind() == kTKBackendSDL) TKSDLPushClick(w, where);
  else TKInjectClick(w, where);
}

void TKInjectRightClick(TKWindow* w, TKPoint where) {
  TKEvent e;
  e.window = w;
  e.where = where;
  e.button = kTKButtonRight;
  InjectPress(e);
}

void TKInjectWheel(TKWindow* w, TKPoint where, double dy) {
  TKEvent e;
  e.kind = kTKEventMouseWheel;
  e.window = w;
  e.where = where;
  e.wheelY = dy;
  TKInjectEvent(e);
}

void TKInjectKey(uint32_t charCode, uint32_t modifiers, double at) {
  TKEvent e;
  e.kind = kTKEventKeyDown;
  e.charCode = charCode;
  e.modifiers = modifiers;
  if (charCode >= 32 && charCode < 127) e.text[0] = char(charCode);
  TKInjectEvent(e, at);
}

void TKInjectFunctionKey(uint32_t keyCode, uint32_t modifiers) {
  TKEvent e;
  e.kind = kTKEventKeyDown;
  e.charCode = kTKKeyFunction;
  e.keyCode = keyCode;
  e.modifiers = modifiers;
  TKInjectEvent(e);
}

void TKInjectModifiers(uint32_t modifiers, double at) {
  TKEvent e;
  e.kind = kTKEventModifiersChanged;
  e.modifiers = modifiers;
  TKInjectEvent(e, at);
}

void TKInjectAppActivation(bool active, double at) {
  TKEvent e;
  e.kind = active ? kTKEventAppActivated : kTKEventAppDeactivated;
  TKInjectEvent(e, at);
}

void TKInjectText(const char* utf8) {
  for (const TKEvent& key : TKKeyEventsForText(utf8, TKEvent{})) TKInjectEvent(key);
}

size_t TKPendingInputCount() {
  HeadlessBackend* headless = Headless();
  return (headless ? headless->script.size() : 0) + TKState().input.size();
}

void TKSetHeadlessDisplays(const std::vector<TKRect>& displays) {
  if (HeadlessBackend* headless = Headless()) headless->displays = displays;
}

int32_t TKHeadlessBeepCount() {
  HeadlessBackend* headless = Headless();
  return headless ? headless->beeps : 0;
}
