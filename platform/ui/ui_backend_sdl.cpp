// The SDL2 backend: real windows, mouse and keyboard, displays, cursors and
// the clipboard. The toolkit draws each window into its cairo image; the
// backend copies that image into the window's surface.
//
// Keys: Ctrl stands for the command modifier (the shortcut key on this
// platform), Alt for option and the Super key for control.
#include <SDL.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <map>

#include "platform/ui/ui_internal.h"
#include "platform/ui/ui_loop.h"

namespace {

SDL_Window* Win(TKWindow* w) { return static_cast<SDL_Window*>(w->backendData); }

uint32_t Modifiers(uint16_t mod) {
  uint32_t m = 0;
  if (mod & KMOD_CTRL) m |= kTKModCommand;
  if (mod & KMOD_SHIFT) m |= kTKModShift;
  if (mod & KMOD_CAPS) m |= kTKModCapsLock;
  if (mod & KMOD_ALT) m |= kTKModOption;
  if (mod & KMOD_GUI) m |= kTKModControl;
  return m;
}

struct KeyMap {
  SDL_Keycode sym;
  uint32_t code;
};
const KeyMap kKeys[] = {
    {SDLK_TAB, kTKKeyTab},         {SDLK_RETURN, kTKKeyReturn},   {SDLK_KP_ENTER, kTKKeyEnter},
    {SDLK_ESCAPE, kTKKeyEscape},   {SDLK_BACKSPACE, kTKKeyBackspace}, {SDLK_DELETE, kTKKeyDelete},
    {SDLK_LEFT, kTKKeyLeft},       {SDLK_RIGHT, kTKKeyRight},     {SDLK_UP, kTKKeyUp},
    {SDLK_DOWN, kTKKeyDown},
};

const KeyMap kFunctionKeys[] = {
    {SDLK_F1, kTKKeyCodeF1}, {SDLK_F2, kTKKeyCodeF2},   {SDLK_F3, kTKKeyCodeF3},   {SDLK_F4, kTKKeyCodeF4},
    {SDLK_F5, kTKKeyCodeF5}, {SDLK_F6, kTKKeyCodeF6},   {SDLK_F7, kTKKeyCodeF7},   {SDLK_F8, kTKKeyCodeF8},
    {SDLK_F9, kTKKeyCodeF9}, {SDLK_F10, kTKKeyCodeF10}, {SDLK_F11, kTKKeyCodeF11}, {SDLK_F12, kTKKeyCodeF12},
};

bool IsModifierKey(SDL_Keycode sym) {
  switch (sym) {
    case SDLK_LCTRL: case SDLK_RCTRL: case SDLK_LSHIFT: case SDLK_RSHIFT: case SDLK_LALT:
    case SDLK_RALT: case SDLK_LGUI: case SDLK_RGUI: case SDLK_CAPSLOCK: return true;
    default: return false;
  }
}

const SDL_SystemCursor kCursors[] = {
    SDL_SYSTEM_CURSOR_ARROW, SDL_SYSTEM_CURSOR_IBEAM,  SDL_SYSTEM_CURSOR_CROSSHAIR, SDL_SYSTEM_CURSOR_HAND,
    SDL_SYSTEM_CURSOR_SIZEWE, SDL_SYSTEM_CURSOR_SIZENS, SDL_SYSTEM_CURSOR_WAIT,
};

class SDLBackend final : public TKBackend {
 public:
  ~SDLBackend() override {
    for (auto& [id, c] : cursors_) SDL_FreeCursor(c);
    for (auto& [id, w] : windows_) SDL_DestroyWindow(Win(w));
    SDL_StopTextInput();
    // SDL stays initialised for the life of the process: SDL_Quit unloads the
    // display libraries, and a later toolkit start loads them again anyway.
  }
  TKBackendKind Kind() const override { return kTKBackendSDL; }

  void OpenWindow(TKWindow* w) override {
    uint32_t flags = SDL_WINDOW_HIDDEN;
    switch (w->kind) {
      case kTKWindowBorderless: flags |= SDL_WINDOW_BORDERLESS; break;
      case kTKWindowFloating: flags |= SDL_WINDOW_ALWAYS_ON_TOP | SDL_WINDOW_UTILITY; break;
      case kTKWindowPopup: flags |= SDL_WINDOW_BORDERLESS | SDL_WINDOW_POPUP_MENU | SDL_WINDOW_ALWAYS_ON_TOP; break;
      case kTKWindowFullScreen: flags |= SDL_WINDOW_BORDERLESS; break;
      default: break;
    }
    SDL_Window* win = SDL_CreateWindow(w->title.c_str(), w->bounds.left, w->bounds.top, TKRectWidth(w->bounds),
                                       TKRectHeight(w->bounds), flags);
    if (!win) return;
    w->backendData = win;
    windows_[SDL_GetWindowID(win)] = w;
  }

  void CloseWindow(TKWindow* w) override {
    if (!Win(w)) return;
    windows_.erase(SDL_GetWindowID(Win(w)));
    SDL_DestroyWindow(Win(w));
    w->backendData = nullptr;
  }

  void ShowWindow(TKWindow* w, bool show) override {
    if (!Win(w)) return;
    if (!show) {
      SDL_HideWindow(Win(w));
      return;
    }
    SDL_ShowWindow(Win(w));
    if (w->kind == kTKWindowFullScreen) SDL_SetWindowFullscreen(Win(w), SDL_WINDOW_FULLSCREEN_DESKTOP);
    if (w->kind == kTKWindowModal) SDL_SetWindowModalFor(Win(w), nullptr);
  }

  void UpdateWindowFrame(TKWindow* w) override {
    if (!Win(w)) return;
    SDL_SetWindowTitle(Win(w), w->title.c_str());
    SDL_SetWindowPosition(Win(w), w->bounds.left, w->bounds.top);
    SDL_SetWindowSize(Win(w), TKRectWidth(w->bounds), TKRectHeight(w->bounds));
  }

  void RaiseWindow(TKWindow* w) override {
    if (Win(w) && w->visible) SDL_RaiseWindow(Win(w));
  }

  void FocusWindow(TKWindow* w) override {
    if (Win(w) && w->visible) SDL_SetWindowInputFocus(Win(w));
  }

  bool NeedsPresent() const override { return true; }

  void Present(TKWindow* w) override {
    TKImage* image = w->image.get();
    if (!Win(w) || !image) return;
    SDL_Surface* surface = SDL_GetWindowSurface(Win(w));
    if (!surface) return;
    int width = std::min(surface->w, TKImageWidth(image));
    int height = std::min(surface->h, TKImageHeight(image));
    SDL_ConvertPixels(width, height, SDL_PIXELFORMAT_ARGB8888, TKImagePixels(image), TKImageRowBytes(image),
                      surface->format->format, surface->pixels, surface->pitch);
    SDL_UpdateWindowSurface(Win(w));
  }

  void Pump(std::deque<TKEvent>& out) override {
    SDL_Event ev;
    while (SDL_PollEvent(&ev)) Translate(ev, out);
    SettleAppFocus(out);
  }

  double NextInputTime() const override {
    return focusLossPending_ ? focusLossAt_ + kFocusSettleSeconds : std::numeric_limits<double>::infinity();
  }
  double MaxBlock() const override { return 0.01; }

  std::vector<TKRect> Displays() override {
    std::vector<TKRect> out;
    int n = SDL_GetNumVideoDisplays();
    for (int i = 0; i < n; ++i) {
      SDL_Rect r;
      if (SDL_GetDisplayBounds(i, &r) == 0) out.push_back(TKMakeRect(r.x, r.y, r.w, r.h));
    }
    return out;
  }

  std::string DisplayName(int32_t display) override {
    const char* name = SDL_GetDisplayName(display);
    return name ? name : "";
  }

  void SetCursor(int32_t cursor) override {
    auto custom = TKState().customCursors.find(cursor);
    if (custom != TKState().customCursors.end()) {
      SDL_Cursor*& c = cursors_[cursor];
      TKImage* picture = TKGetPicture(custom->second.pictureID);
      if (!c && picture) {
        SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(TKImagePixels(picture), TKImageWidth(picture),
                                                            TKImageHeight(picture), 32, TKImageRowBytes(picture),
                                                            SDL_PIXELFORMAT_ARGB8888);
        if (s) {
          c = SDL_CreateColorCursor(s, custom->second.hotSpot.x, custom->second.hotSpot.y);
          SDL_FreeSurface(s);
        }
      }
      if (c) {
        SDL_SetCursor(c);
        return;
      }
      cursor = kTKCursorArrow;
    }
    if (cursor < 0 || cursor >= int32_t(sizeof kCursors / sizeof kCursors[0])) cursor = kTKCursorArrow;
    SDL_Cursor*& c = cursors_[cursor];
    if (!c) c = SDL_CreateSystemCursor(kCursors[cursor]);
    if (c) SDL_SetCursor(c);
  }

  void Beep() override {}

  bool PutClipboardText(const std::string& text) override { return SDL_SetClipboardText(text.c_str()) == 0; }

  bool GetClipboardText(std::string* text) override {
    if (!SDL_HasClipboardText()) return false;
    char* t = SDL_GetClipboardText();
    if (!t) return false;
    *text = t;
    SDL_free(t);
    return true;
  }

  TKWindow* Find(uint32_t windowID) {
    auto it = windows_.find(windowID);
    return it == windows_.end() ? nullptr : it->second;
  }

 private:
  // A window of ours losing the focus is often followed at once by another
  // of ours gaining it (a click from one window into the next, a popup, a
  // dialog): the program as a whole stays active. So after each turn's
  // events the backend asks whether any of our windows has the focus; a
  // gain counts at once, a loss only when it still holds on a later turn a
  // moment after it was first seen. Asking, rather than counting loss
  // events, also catches the focus going away with a closed window.
  static constexpr double kFocusSettleSeconds = 0.25;

  bool OurWindowHasFocus() {
    SDL_Window* focus = SDL_GetKeyboardFocus();
    return focus && Find(SDL_GetWindowID(focus)) != nullptr;
  }

  void SettleAppFocus(std::deque<TKEvent>& out) {
    TKEvent e;
    e.time = TKNow();
    if (OurWindowHasFocus()) {
      focusLossPending_ = false;
      if (appActive_) return;
      appActive_ = true;
      e.kind = kTKEventAppActivated;
      out.push_back(e);
      return;
    }
    if (!appActive_) return;
    if (!focusLossPending_) {
      focusLossPending_ = true;
      focusLossAt_ = e.time;
      return;
    }
    if (e.time < focusLossAt_ + kFocusSettleSeconds) return;
    focusLossPending_ = false;
    appActive_ = false;
    e.kind = kTKEventAppDeactivated;
    out.push_back(e);
  }

  void Translate(const SDL_Event& ev, std::deque<TKEvent>& out) {
    TKEvent e;
    e.time = TKNow();
    e.modifiers = Modifiers(uint16_t(SDL_GetModState()));
    switch (ev.type) {
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP:
        e.kind = ev.type == SDL_MOUSEBUTTONDOWN ? kTKEventMouseDown : kTKEventMouseUp;
        e.window = Find(ev.button.windowID);
        e.where = TKPoint{ev.button.x, ev.button.y};
        e.button = ev.button.button == SDL_BUTTON_RIGHT ? kTKButtonRight
                   : ev.button.button == SDL_BUTTON_MIDDLE ? kTKButtonMiddle : kTKButtonLeft;
        e.clickCount = ev.button.clicks;
        break;
      case SDL_MOUSEMOTION:
        e.kind = ev.motion.state ? kTKEventMouseDragged : kTKEventMouseMoved;
        e.window = Find(ev.motion.windowID);
        e.where = TKPoint{ev.motion.x, ev.motion.y};
        break;
      case SDL_MOUSEWHEEL: {
        e.kind = kTKEventMouseWheel;
        e.window = Find(ev.wheel.windowID);
        int x = 0, y = 0;
        SDL_GetMouseState(&x, &y);
        e.where = TKPoint{x, y};
        e.wheelX = ev.wheel.preciseX;
        e.wheelY = ev.wheel.preciseY;
        break;
      }
      case SDL_KEYUP:
        if (!IsModifierKey(ev.key.keysym.sym)) return;
        e.kind = kTKEventModifiersChanged;
        break;
      case SDL_KEYDOWN: {
        SDL_Keycode sym = ev.key.keysym.sym;
        if (IsModifierKey(sym)) {
          e.kind = kTKEventModifiersChanged;
          break;
        }
        e.kind = kTKEventKeyDown;
        e.modifiers = Modifiers(ev.key.keysym.mod);
        for (const KeyMap& k : kKeys)
          if (k.sym == sym) e.charCode = k.code;
        for (const KeyMap& k : kFunctionKeys)
          if (k.sym == sym) {
            e.charCode = kTKKeyFunction;
            e.keyCode = k.code;
          }
        if (!e.charCode) {
          // Printable keys arrive as text input, except with a shortcut modifier.
          if (!(e.modifiers & (kTKModCommand | kTKModControl | kTKModOption)) || sym >= 128 || sym < 32) return;
          e.charCode = uint32_t(sym);
          if (e.modifiers & kTKModShift) e.charCode = uint32_t(std::toupper(int(sym)));
        }
        break;
      }
      case SDL_TEXTINPUT: {
        if (SDL_GetModState() & (KMOD_CTRL | KMOD_GUI)) return;
        // One key event per character.
        for (const TKEvent& key : TKKeyEventsForText(ev.text.text, e)) out.push_back(key);
        return;
      }
      case SDL_WINDOWEVENT: {
        TKWindow* w = Find(ev.window.windowID);
        if (!w) return;
        switch (ev.window.event) {
          case SDL_WINDOWEVENT_CLOSE:
            e.kind = kTKEventWindowClose;
            e.window = w;
            break;
          case SDL_WINDOWEVENT_EXPOSED:
          case SDL_WINDOWEVENT_SIZE_CHANGED:
            w->invalid = true;
            return;
          case SDL_WINDOWEVENT_MOVED: {
            int32_t width = TKRectWidth(w->bounds), height = TKRectHeight(w->bounds);
            w->bounds = TKMakeRect(ev.window.data1, ev.window.data2, width, height);
            return;
          }
          case SDL_WINDOWEVENT_FOCUS_GAINED:
            if (w->kind != kTKWindowPopup && w->kind != kTKWindowFloating && TKState().keyWindow != w &&
                TKState().modalStack.empty())
              TKSelectWindow(w);
            return;
          default: return;
        }
        break;
      }
      case SDL_QUIT: e.kind = kTKEventQuit; break;
      case SDL_DROPFILE:
        // Files dropped from another program arrive one by one, then complete.
        if (ev.drop.file) {
          dropped_.push_back(ev.drop.file);
          SDL_free(ev.drop.file);
        }
        if (ev.drop.windowID) dropWindow_ = ev.drop.windowID;
        return;
      case SDL_DROPCOMPLETE: {
        TKWindow* w = Find(ev.drop.windowID ? ev.drop.windowID : dropWindow_);
        std::vector<std::string> paths = std::move(dropped_);
        dropped_.clear();
        int x = 0, y = 0;
        SDL_GetMouseState(&x, &y);
        if (w && !paths.empty())
          TKPostCall([w, paths, x, y] {
            if (TKWindowAlive(w)) TKDropFiles(w, TKPoint{x, y}, paths);
          });
        return;
      }
      default: return;
    }
    if (e.kind == kTKEventNone) return;
    out.push_back(e);
  }

  std::map<uint32_t, TKWindow*> windows_;
  std::map<int32_t, SDL_Cursor*> cursors_;
  std::vector<std::string> dropped_;  // paths of a drop not yet complete
  uint32_t dropWindow_ = 0;
  bool appActive_ = false;         // the program as a whole has the focus
  bool focusLossPending_ = false;  // none of ours has it since focusLossAt_; not settled yet
  double focusLossAt_ = 0;
};

}  // namespace

std::unique_ptr<TKBackend> TKMakeSDLBackend() {
  // Without a display to talk to, do not let SDL try other video drivers.
  if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") && !std::getenv("SDL_VIDEODRIVER")) return nullptr;
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) return nullptr;
  SDL_StartTextInput();
  return std::make_unique<SDLBackend>();
}

bool TKSDLPushClick(TKWindow* window, TKPoint where) {
  if (TKGetBackendKind() != kTKBackendSDL || !window || !Win(window)) return false;
  SDL_Event ev;
  std::memset(&ev, 0, sizeof ev);
  ev.type = SDL_MOUSEBUTTONDOWN;
  ev.button.windowID = SDL_GetWindowID(Win(window));
  ev.button.button = SDL_BUTTON_LEFT;
  ev.button.state = SDL_PRESSED;
  ev.button.clicks = 1;
  ev.button.x = where.x;
  ev.button.y = where.y;
  if (SDL_PushEvent(&ev) < 0) return false;
  ev.type = SDL_MOUSEBUTTONUP;
  ev.button.state = SDL_RELEASED;
  return SDL_PushEvent(&ev) >= 0;
}

TKImage* TKSDLCaptureWindow(TKWindow* window) {
  if (TKGetBackendKind() != kTKBackendSDL || !window || !Win(window)) return nullptr;
  SDL_Surface* surface = SDL_GetWindowSurface(Win(window));
  if (!surface) return nullptr;
  TKImage* image = TKImageCreate(surface->w, surface->h);
  if (!image) return nullptr;
  SDL_ConvertPixels(surface->w, surface->h, surface->format->format, surface->pixels, surface->pitch,
                    SDL_PIXELFORMAT_ARGB8888, TKImagePixels(image), TKImageRowBytes(image));
  return image;
}
