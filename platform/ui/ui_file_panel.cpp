// Open, save and folder panels drawn by the toolkit: the current folder's
// path (a field that takes a typed or pasted path) and an Up button, a list
// of its folders and matching files, a type popup, a name field for saving
// (which takes a path as well), and Cancel and Open, Save or Choose.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/fourcc.h"
#include "platform/ui/ui_dialogs.h"
#include "platform/ui/ui_internal.h"
#include "platform/ui/ui_services.h"
#include "platform/ui/ui_loop.h"

namespace {

constexpr uint32_t kCmdChoose = QVFourCC("chse");
constexpr uint32_t kCmdCancel = QVFourCC("cncl");
constexpr uint32_t kCmdUp = QVFourCC("up  ");
constexpr size_t kMaxEntries = 10000;

struct Entry {
  std::string name;
  bool folder = false;
  off_t size = 0;
};

std::string Lower(std::string s) {
  for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool IsSeparatorType(const UIFileType& t) { return !t.name.empty() && t.name[0] == '-'; }

bool Matches(const std::string& name, const std::vector<UIFileType>& types, int32_t typeIndex) {
  if (types.empty()) return true;
  auto one = [&](const UIFileType& t) {
    if (IsSeparatorType(t)) return false;
    if (t.extension.empty() || t.extension == "*") return true;
    std::string ext = ".";
    ext += Lower(t.extension);
    std::string low = Lower(name);
    return low.size() > ext.size() && low.compare(low.size() - ext.size(), ext.size(), ext) == 0;
  };
  if (typeIndex >= 0 && typeIndex < int32_t(types.size())) return one(types[size_t(typeIndex)]);
  return std::any_of(types.begin(), types.end(), one);
}

bool IsFolder(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string Join(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

// A typed path: surrounding blanks dropped, "~" for the home folder, a
// relative path taken from the folder shown, and trailing slashes dropped.
std::string TypedPath(std::string text, const std::string& folder) {
  const auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
  while (!text.empty() && blank(static_cast<unsigned char>(text.back()))) text.pop_back();
  size_t start = 0;
  while (start < text.size() && blank(static_cast<unsigned char>(text[start]))) ++start;
  text.erase(0, start);
  if (text.empty()) return text;
  if (text == "~" || text.compare(0, 2, "~/") == 0) {
    const char* home = std::getenv("HOME");
    text = std::string(home ? home : "") + text.substr(1);
  }
  if (text[0] != '/') text = Join(folder, text);
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

bool IsFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string Parent(const std::string& folder) {
  size_t slash = folder.find_last_of('/');
  if (slash == std::string::npos || slash == 0) return "/";
  return folder.substr(0, slash);
}

std::vector<Entry> ReadFolder(const std::string& folder, const UIPanelRequest& desc, int32_t typeIndex) {
  std::vector<Entry> entries;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return entries;
  while (dirent* d = readdir(dir)) {
    if (d->d_name[0] == '.') continue;
    if (entries.size() >= kMaxEntries) break;
    Entry e;
    e.name = d->d_name;
    struct stat st;
    if (stat(Join(folder, e.name).c_str(), &st) != 0) continue;
    e.folder = S_ISDIR(st.st_mode);
    e.size = st.st_size;
    if (!e.folder && (desc.kind == kUIPanelFolder || !Matches(e.name, desc.types, typeIndex))) continue;
    entries.push_back(e);
  }
  closedir(dir);
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    if (a.folder != b.folder) return a.folder;
    return Lower(a.name) < Lower(b.name);
  });
  return entries;
}

std::string SizeText(const Entry& e) {
  if (e.folder) return "Folder";
  char buf[32];
  if (e.size < 1024) std::snprintf(buf, sizeof buf, "%lld bytes", static_cast<long long>(e.size));
  else if (e.size < 1024 * 1024) std::snprintf(buf, sizeof buf, "%.1f KB", double(e.size) / 1024);
  else std::snprintf(buf, sizeof buf, "%.1f MB", double(e.size) / (1024 * 1024));
  return buf;
}

struct Panel {
  const UIPanelRequest* desc = nullptr;
  UIWindow* window = nullptr;
  UIControl* path = nullptr;
  UIControl* list = nullptr;
  UIControl* name = nullptr;
  UIControl* types = nullptr;
  UIControl* hide = nullptr;
  UIMenu* typeMenu = nullptr;
  std::string folder;
  std::vector<Entry> entries;
  std::vector<std::string> chosen;

  void Fill() {
    int32_t typeIndex = types ? UIGetControlValue(types) - 1 : -1;
    entries = ReadFolder(folder, *desc, typeIndex);
    UIListRemoveAll(list);
    for (size_t i = 0; i < entries.size(); ++i)
      UIListAddRow(list, int32_t(i), {entries[i].name, SizeText(entries[i])});
    UISetEditText(path, folder.c_str());
  }

  void Enter(const std::string& to) {
    folder = to;
    Fill();
  }

  // A path typed into the folder field, taken when Return or the choose
  // button comes: a folder is entered; a file is chosen by an open panel or
  // named by a save panel. True when the panel is done; false otherwise
  // (and a beep when the path leads nowhere).
  bool TakeTypedPath(const std::string& typed, bool* handled) {
    *handled = false;
    const std::string target = TypedPath(typed, folder);
    if (target.empty() || target == folder) return false;
    *handled = true;
    if (IsFolder(target)) {
      Enter(target);
      return false;
    }
    if (desc->kind == kUIPanelOpen && IsFile(target)) {
      chosen = {target};
      return true;
    }
    if (desc->kind == kUIPanelSave && IsFolder(Parent(target))) {
      Enter(Parent(target));
      UISetEditText(name, target.substr(target.find_last_of('/') + 1).c_str());
      return Choose();
    }
    UIBeep();
    UISetEditText(path, folder.c_str());
    return false;
  }

  const Entry* Selected() {
    int32_t row = UIListSelectedRow(list);
    if (row < 0) return nullptr;
    int32_t id = UIListRowID(list, row);
    return id >= 0 && id < int32_t(entries.size()) ? &entries[size_t(id)] : nullptr;
  }

  // Choose: returns true when the panel is done.
  bool Choose() {
    bool handled = false;
    const bool typedDone = TakeTypedPath(UIGetEditText(path), &handled);
    if (handled) return typedDone;
    const Entry* sel = Selected();
    switch (desc->kind) {
      case kUIPanelOpen: {
        if (!sel) return false;
        if (sel->folder) {
          Enter(Join(folder, sel->name));
          return false;
        }
        chosen.clear();
        for (int32_t row : UIListSelectedRows(list)) {
          int32_t id = UIListRowID(list, row);
          if (id >= 0 && id < int32_t(entries.size()) && !entries[size_t(id)].folder)
            chosen.push_back(Join(folder, entries[size_t(id)].name));
        }
        if (chosen.empty()) chosen.push_back(Join(folder, sel->name));
        return true;
      }
      case kUIPanelFolder:
        chosen = {sel && sel->folder ? Join(folder, sel->name) : folder};
        return true;
      case kUIPanelSave: {
        std::string file = UIGetEditText(name);
        // A path in the name field saves into its folder.
        if (file.find('/') != std::string::npos || file.compare(0, 1, "~") == 0) {
          const std::string target = TypedPath(file, folder);
          if (target.empty() || !IsFolder(Parent(target)) || IsFolder(target)) {
            UIBeep();
            return false;
          }
          Enter(Parent(target));
          file = target.substr(target.find_last_of('/') + 1);
          UISetEditText(name, file.c_str());
        }
        if (file.empty()) {
          UIBeep();
          return false;
        }
        int32_t typeIndex = types ? UIGetControlValue(types) - 1 : 0;
        if (!desc->types.empty() && !Matches(file, desc->types, typeIndex)) {
          const UIFileType& t = desc->types[size_t(std::clamp(typeIndex, 0, int32_t(desc->types.size()) - 1))];
          if (!t.extension.empty() && t.extension != "*") file += "." + t.extension;
        }
        std::string full = Join(folder, file);
        struct stat st;
        if (stat(full.c_str(), &st) == 0) {
          UIAlertRequest ask;
          ask.kind = kUIAlertCaution;
          ask.message = "\xE2\x80\x9C" + file + "\xE2\x80\x9D already exists. Do you want to replace it?";
          ask.detail = "A file with the same name already exists in this folder. Replacing it will overwrite its contents.";
          ask.defaultButton = "Replace";
          ask.cancelButton = "Cancel";
          if (UIRunAlert(ask) != kUIAlertDefault) return false;
        }
        chosen = {full};
        return true;
      }
    }
    return false;
  }
};

}  // namespace

QVStatus UIRunFilePanel(const UIPanelRequest& desc, std::string* path) {
  if (!path) return kQVErrParam;
  UIPanelResult result;
  QVStatus status = UIRunFilePanelWithResult(desc, &result);
  if (status == kQVNoErr) *path = result.paths.empty() ? std::string() : result.paths.front();
  return status;
}

QVStatus UIRunFilePanelWithResult(const UIPanelRequest& desc, UIPanelResult* out) {
  if (!out) return kQVErrParam;
  UIDialogRequest request;
  request.kind = UIDialogRequest::kPanel;
  request.panel = desc;
  UIDialogAnswer answer;
  if (UITakeScriptedAnswer(request, &answer)) {
    if (answer.status == kQVNoErr) {
      out->paths = answer.paths.empty() ? std::vector<std::string>{answer.path} : answer.paths;
      out->typeIndex = answer.typeIndex;
      out->hideExtension = answer.hideExtension;
    }
    return answer.status;
  }
  if (UINoInputCanArrive()) return kQVErrCancelled;

  Panel p;
  p.desc = &desc;
  const char* home = std::getenv("HOME");
  p.folder = !desc.folder.empty() && IsFolder(desc.folder) ? desc.folder : (home ? home : "/");
  const char* fallbackTitle = desc.kind == kUIPanelSave ? "Save" : desc.kind == kUIPanelFolder ? "Choose a Folder" : "Open";
  UIWindow* w = UICreateWindow(kUIWindowModal, UIMakeRect(0, 0, 580, 440), desc.title.empty() ? fallbackTitle : desc.title.c_str());
  if (!w) return kQVErrMemory;
  p.window = w;
  int32_t y = 16;
  if (!desc.message.empty()) {
    UINewStaticText(w, UIMakeRect(16, y, 548, 20), desc.message.c_str());
    y += 28;
  }
  if (desc.kind == kUIPanelSave) {
    UINewStaticText(w, UIMakeRect(16, y + 2, 70, 20), "Save As:");
    p.name = UINewEditText(w, UIMakeRect(90, y, 300, 24), desc.fileName.c_str());
    p.hide = UINewCheckBox(w, UIMakeRect(404, y + 2, 160, 20), "Hide extension", desc.hideExtension ? 1 : 0);
    y += 36;
  }
  UIControl* up = UINewBevelButton(w, UIMakeRect(16, y, 36, 24), "\xE2\x86\x91", 0, false);
  UISetControlCommand(up, kCmdUp);
  UISetHelpTag(up, "Enclosing folder");
  p.path = UINewEditText(w, UIMakeRect(60, y, 504, 24), "");
  UISetHelpTag(p.path, "The folder shown; type or paste a path to go there");
  y += 32;
  int32_t listBottom = 440 - 16 - 26 - 16 - (desc.types.size() > 1 ? 34 : 0);
  p.list = UINewList(w, UIRect{y, 16, listBottom, 564});
  UIListSetColumns(p.list, {{"Name", 400, false, false}, {"Size", 146, false, false}});
  UIListAllowMultipleSelection(p.list, desc.kind == kUIPanelOpen && desc.multiple);
  if (desc.types.size() > 1) {
    p.typeMenu = UICreateMenu(-1, "");
    int32_t first = 0;
    for (size_t i = 0; i < desc.types.size(); ++i) {
      const UIFileType& t = desc.types[i];
      UIAppendMenuItem(p.typeMenu, IsSeparatorType(t) ? "-" : t.name.c_str(), 0);
      if (int32_t(i) == desc.typeIndex && !IsSeparatorType(t)) first = int32_t(i);
    }
    UINewStaticText(w, UIMakeRect(16, listBottom + 10, 60, 22), "Format:");
    p.types = UINewPopupButton(w, UIMakeRect(80, listBottom + 8, 240, 24), "", p.typeMenu, first + 1);
    UIInstallControlHandler(p.types, [&p](UIEvent& e) {
      if (e.kind == kUIEventControlHit) p.Fill();
      return kQVErrNotHandled;
    });
  }
  const char* chooseTitle = !desc.prompt.empty()           ? desc.prompt.c_str()
                            : desc.kind == kUIPanelSave   ? "Save"
                            : desc.kind == kUIPanelFolder ? "Choose"
                                                          : "Open";
  std::vector<UIControl*> buttons = UIAddDialogButtons(w, {{chooseTitle, kCmdChoose}, {"Cancel", kCmdCancel}});
  UISetDefaultButton(w, buttons[0]);
  UISetCancelButton(w, buttons[1]);
  UIInstallControlHandler(p.list, [&p](UIEvent& e) {
    if (e.kind != kUIEventControlHit || e.clickCount < 2) return kQVErrNotHandled;
    const Entry* sel = p.Selected();
    if (sel && sel->folder) {
      p.Enter(Join(p.folder, sel->name));
    } else if (sel && p.desc->kind == kUIPanelSave) {
      UISetEditText(p.name, sel->name.c_str());
    } else if (p.Choose()) {
      UIEndModal(p.window, 1);
    }
    return kQVNoErr;
  });
  UIInstallWindowHandler(w, [&p](UIEvent& e) {
    // "/" or "~" typed in the list starts a path in the folder field.
    if (e.kind == kUIEventKeyDown && (e.charCode == '/' || e.charCode == '~') && !(e.modifiers & kUIModCommand) &&
        UIGetKeyboardFocus(p.window) == p.list) {
      const char text[2] = {char(e.charCode), 0};
      UISetEditText(p.path, text);
      UISetKeyboardFocus(p.window, p.path);
      UISetEditSelection(p.path, 1, 1);
      return kQVNoErr;
    }
    if (e.kind != kUIEventCommand) return kQVErrNotHandled;
    if (e.command == kCmdCancel) UIEndModal(p.window, 2);
    else if (e.command == kCmdUp) p.Enter(Parent(p.folder));
    else if (e.command == kCmdChoose) {
      if (p.Choose()) UIEndModal(p.window, 1);
    } else {
      return kQVErrNotHandled;
    }
    return kQVNoErr;
  });
  p.Fill();
  UISetKeyboardFocus(w, p.name ? p.name : p.list);
  int32_t result = UIRunModal(w);
  int32_t typeIndex = p.types ? UIGetControlValue(p.types) - 1 : 0;
  bool hidden = p.hide && UIGetControlValue(p.hide) != 0;
  UIDisposeWindow(w);
  if (p.typeMenu) UIDisposeMenu(p.typeMenu);
  if (result != 1) return kQVErrCancelled;
  out->paths = p.chosen;
  out->typeIndex = typeIndex;
  out->hideExtension = hidden;
  return kQVNoErr;
}
