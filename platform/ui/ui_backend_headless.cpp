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
  UIEvent event;
};

// The scripted input and the pretend displays, beeps and clipboard belong to
// the backend, so they end with the toolkit.
class HeadlessBackend final : public UIBackend {
 public:
  std::vector<Scripted> script;
  uint64_t lastOrder = 0;
  std::vector<UIRect> displays{UIMakeRect(0, 0, 1600, 1000)};
  int32_t beeps = 0;
  std::string clipboardText;
  bool hasClipboardText = false;

  UIBackendKind Kind() const override { return kUIBackendHeadless; }
  // The screen's stacking, front first, and the window with the keyboard, as a
  // display without a window manager keeps them: a new window starts on top,
  // showing a window leaves the order alone, only a raise moves it, and the
  // keyboard goes nowhere when its window goes away.
  std::vector<UIWindow*> stack;
  UIWindow* focused = nullptr;
  // When asked for, windows are presented as on a screen: the last picture
  // each window showed is kept, and the presents counted.
  bool presenting = false;
  std::map<UIWindow*, std::unique_ptr<UIImage, void (*)(UIImage*)>> shown;
  int64_t presents = 0;

  void OpenWindow(UIWindow* w) override { stack.insert(stack.begin(), w); }
  void CloseWindow(UIWindow* w) override {
    shown.erase(w);
    stack.erase(std::remove(stack.begin(), stack.end(), w), stack.end());
    if (focused == w) focused = nullptr;
  }
  void ShowWindow(UIWindow* w, bool show) override {
    if (!show && focused == w) focused = nullptr;
  }
  void UpdateWindowFrame(UIWindow*) override {}
  void RaiseWindow(UIWindow* w) override {
    stack.erase(std::remove(stack.begin(), stack.end(), w), stack.end());
    stack.insert(stack.begin(), w);
  }
  void FocusWindow(UIWindow* w) override { focused = w; }
  bool NeedsPresent() const override { return presenting; }
  void Present(UIWindow* w) override {
    UIImage* image = w->image.get();
    if (!image) return;
    auto& kept = shown.try_emplace(w, nullptr, UIImageDispose).first->second;
    if (!kept || UIImageWidth(kept.get()) != UIImageWidth(image) || UIImageHeight(kept.get()) != UIImageHeight(image))
      kept.reset(UIImageCreate(UIImageWidth(image), UIImageHeight(image)));
    if (kept) UIImageImport(kept.get(), UIImagePixels(image), UIImageRowBytes(image), kUIPixelFormatBGRA);
    ++presents;
  }
  void Pump(std::deque<UIEvent>& out) override {
    double now = UINow();
    std::stable_sort(script.begin(), script.end(), [](const Scripted& a, const Scripted& b) {
      return a.at < b.at || (a.at == b.at && a.order < b.order);
    });
    size_t n = 0;
    while (n < script.size() && script[n].at <= now) {
      UIEvent e = script[n].event;
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
  std::vector<UIRect> Displays() override { return displays; }
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
  UIBackend* backend = UIBackendPtr();
  return backend && backend->Kind() == kUIBackendHeadless ? static_cast<HeadlessBackend*>(backend) : nullptr;
}

void Inject(UIEventKind kind, UIWindow* w, UIPoint where, uint32_t mods, double at) {
  UIEvent e;
  e.kind = kind;
  e.window = w;
  e.where = where;
  e.modifiers = mods;
  UIInjectEvent(e, at);
}

// The event as a mouse-down, then as a mouse-up.
void InjectPress(UIEvent e) {
  e.kind = kUIEventMouseDown;
  UIInjectEvent(e);
  e.kind = kUIEventMouseUp;
  UIInjectEvent(e);
}

}  // namespace

std::unique_ptr<UIBackend> UIMakeHeadlessBackend() { return std::make_unique<HeadlessBackend>(); }

void UISetHeadlessPresenting(bool presenting) {
  if (HeadlessBackend* headless = Headless()) headless->presenting = presenting;
}

UIImage* UIHeadlessPresentedImage(UIWindow* window) {
  HeadlessBackend* headless = Headless();
  if (!headless) return nullptr;
  auto it = headless->shown.find(window);
  return it == headless->shown.end() ? nullptr : it->second.get();
}

int64_t UIHeadlessPresentCount() {
  HeadlessBackend* headless = Headless();
  return headless ? headless->presents : 0;
}

std::vector<UIWindow*> UIHeadlessScreenOrder() {
  std::vector<UIWindow*> shown;
  if (HeadlessBackend* headless = Headless())
    for (UIWindow* w : headless->stack)
      if (UIIsWindowVisible(w)) shown.push_back(w);
  return shown;
}

UIWindow* UIHeadlessKeyboardWindow() {
  HeadlessBackend* headless = Headless();
  return headless ? headless->focused : nullptr;
}

void UIInjectEvent(const UIEvent& e, double at) {
  HeadlessBackend* headless = Headless();
  if (!headless) return;
  headless->script.push_back(Scripted{at < 0 ? UINow() : at, ++headless->lastOrder, e});
}

void UIInjectMouseDown(UIWindow* w, UIPoint where, uint32_t modifiers, double at) {
  Inject(kUIEventMouseDown, w, where, modifiers, at);
}
void UIInjectMouseUp(UIWindow* w, UIPoint where, uint32_t modifiers, double at) {
  Inject(kUIEventMouseUp, w, where, modifiers, at);
}
void UIInjectMouseDrag(UIWindow* w, UIPoint where, uint32_t modifiers, double at) {
  Inject(kUIEventMouseDragged, w, where, modifiers, at);
}
void UIInjectMouseMove(UIWindow* w, UIPoint where, double at) { Inject(kUIEventMouseMoved, w, where, 0, at); }

void UIInjectClick(UIWindow* w, UIPoint where, uint32_t modifiers, int32_t clickCount) {
  UIEvent e;
  e.window = w;
  e.where = where;
  e.modifiers = modifiers;
  e.clickCount = clickCount;
  InjectPress(e);
}

void UIInjectRightClick(UIWindow* w, UIPoint where) {
  UIEvent e;
  e.window = w;
  e.where = where;
  e.button = kUIButtonRight;
  InjectPress(e);
}

void UIInjectWheel(UIWindow* w, UIPoint where, double dy) {
  UIEvent e;
  e.kind = kUIEventMouseWheel;
  e.window = w;
  e.where = where;
  e.wheelY = dy;
  UIInjectEvent(e);
}

void UIInjectKey(uint32_t charCode, uint32_t modifiers, double at) {
  UIEvent e;
  e.kind = kUIEventKeyDown;
  e.charCode = charCode;
  e.modifiers = modifiers;
  if (charCode >= 32 && charCode < 127) e.text[0] = char(charCode);
  UIInjectEvent(e, at);
}

void UIInjectFunctionKey(uint32_t keyCode, uint32_t modifiers) {
  UIEvent e;
  e.kind = kUIEventKeyDown;
  e.charCode = kUIKeyFunction;
  e.keyCode = keyCode;
  e.modifiers = modifiers;
  UIInjectEvent(e);
}

void UIInjectModifiers(uint32_t modifiers, double at) {
  UIEvent e;
  e.kind = kUIEventModifiersChanged;
  e.modifiers = modifiers;
  UIInjectEvent(e, at);
}

void UIInjectAppActivation(bool active, double at) {
  UIEvent e;
  e.kind = active ? kUIEventAppActivated : kUIEventAppDeactivated;
  UIInjectEvent(e, at);
}

void UIInjectText(const char* utf8) {
  for (const UIEvent& key : UIKeyEventsForText(utf8, UIEvent{})) UIInjectEvent(key);
}

size_t UIPendingInputCount() {
  HeadlessBackend* headless = Headless();
  return (headless ? headless->script.size() : 0) + UIState().input.size();
}

void UISetHeadlessDisplays(const std::vector<UIRect>& displays) {
  if (HeadlessBackend* headless = Headless()) headless->displays = displays;
}

int32_t UIHeadlessBeepCount() {
  HeadlessBackend* headless = Headless();
  return headless ? headless->beeps : 0;
}
