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

bool IsSeparatorType(const TKFileType& t) { return !t.name.empty() && t.name[0] == '-'; }

bool Matches(const std::string& name, const std::vector<TKFileType>& types, int32_t typeIndex) {
  if (types.empty()) return true;
  auto one = [&](const TKFileType& t) {
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

std::vector<Entry> ReadFolder(const std::string& folder, const TKPanelRequest& desc, int32_t typeIndex) {
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
    if (!e.folder && (desc.kind == kTKPanelFolder || !Matches(e.name, desc.types, typeIndex))) continue;
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
  const TKPanelRequest* desc = nullptr;
  TKWindow* window = nullptr;
  TKControl* path = nullptr;
  TKControl* where = nullptr;
  TKControl* list = nullptr;
  TKControl* name = nullptr;
  TKControl* types = nullptr;
  TKControl* hide = nullptr;
  TKMenu* typeMenu = nullptr;
  std::string folder;
  std::vector<Entry> entries;
  std::vector<std::string> chosen;

  void Fill() {
    int32_t typeIndex = types ? TKGetControlValue(types) - 1 : -1;
    entries = ReadFolder(folder, *desc, typeIndex);
    TKListRemoveAll(list);
    for (size_t i = 0; i < entries.size(); ++i)
      TKListAddRow(list, int32_t(i), {entries[i].name, SizeText(entries[i])});
    TKSetEditText(path, folder.c_str());
    ShowFolderName();
  }

  // The folder's own name above the list, so the panel says where it is
  // even while a path is being typed into the folder field.
  void ShowFolderName() {
    const size_t slash = folder.find_last_of('/');
    const std::string own = slash == std::string::npos || slash + 1 >= folder.size() ? folder : folder.substr(slash + 1);
    TKSetControlTitle(where, ("In folder: " + (own.empty() ? std::string("/") : own)).c_str());
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
    if (desc->kind == kTKPanelOpen && IsFile(target)) {
      chosen = {target};
      return true;
    }
    if (desc->kind == kTKPanelSave && IsFolder(Parent(target))) {
      Enter(Parent(target));
      TKSetEditText(name, target.substr(target.find_last_of('/') + 1).c_str());
      return Choose();
    }
    TKBeep();
    TKSetEditText(path, folder.c_str());
    return false;
  }

  const Entry* Selected() {
    int32_t row = TKListSelectedRow(list);
    if (row < 0) return nullptr;
    int32_t id = TKListRowID(list, row);
    return id >= 0 && id < int32_t(entries.size()) ? &entries[size_t(id)] : nullptr;
  }

  // Choose: returns true when the panel is done.
  bool Choose() {
    bool handled = false;
    const bool typedDone = TakeTypedPath(TKGetEditText(path), &handled);
    if (handled) return typedDone;
    const Entry* sel = Selected();
    switch (desc->kind) {
      case kTKPanelOpen: {
        if (!sel) return false;
        if (sel->folder) {
          Enter(Join(folder, sel->name));
          return false;
        }
        chosen.clear();
        for (int32_t row : TKListSelectedRows(list)) {
          int32_t id = TKListRowID(list, row);
          if (id >= 0 && id < int32_t(entries.size()) && !entries[size_t(id)].folder)
            chosen.push_back(Join(folder, entries[size_t(id)].name));
        }
        if (chosen.empty()) chosen.push_back(Join(folder, sel->name));
        return true;
      }
      case kTKPanelFolder:
        chosen = {sel && sel->folder ? Join(folder, sel->name) : folder};
        return true;
      case kTKPanelSave: {
        std::string file = TKGetEditText(name);
        // A path in the name field saves into its folder.
        if (file.find('/') != std::string::npos || file.compare(0, 1, "~") == 0) {
          const std::string target = TypedPath(file, folder);
          if (target.empty() || !IsFolder(Parent(target)) || IsFolder(target)) {
            TKBeep();
            return false;
          }
          Enter(Parent(target));
          file = target.substr(target.find_last_of('/') + 1);
          TKSetEditText(name, file.c_str());
        }
        if (file.empty()) {
          TKBeep();
          return false;
        }
        int32_t typeIndex = types ? TKGetControlValue(types) - 1 : 0;
        if (!desc->types.empty() && !Matches(file, desc->types, typeIndex)) {
          const TKFileType& t = desc->types[size_t(std::clamp(typeIndex, 0, int32_t(desc->types.size()) - 1))];
          if (!t.extension.empty() && t.extension != "*") file += "." + t.extension;
        }
        std::string full = Join(folder, file);
        struct stat st;
        if (stat(full.c_str(), &st) == 0) {
          TKAlertRequest ask;
          ask.kind = kTKAlertCaution;
          ask.message = "\xE2\x80\x9C" + file + "\xE2\x80\x9D already exists. Do you want to replace it?";
          ask.detail = "A file with the same name already exists in this folder. Replacing it will overwrite its contents.";
          ask.defaultButton = "Replace";
          ask.cancelButton = "Cancel";
          if (TKRunAlert(ask) != kTKAlertDefault) return false;
        }
        chosen = {full};
        return true;
      }
    }
    return false;
  }
};

}  // namespace

QVStatus TKRunFilePanel(const TKPanelRequest& desc, std::string* path) {
  if (!path) return kQVErrParam;
  TKPanelResult result;
  QVStatus status = TKRunFilePanelWithResult(desc, &result);
  if (status == kQVNoErr) *path = result.paths.empty() ? std::string() : result.paths.front();
  return status;
}

QVStatus TKRunFilePanelWithResult(const TKPanelRequest& desc, TKPanelResult* out) {
  if (!out) return kQVErrParam;
  TKDialogRequest request;
  request.kind = TKDialogRequest::kPanel;
  request.panel = desc;
  TKDialogAnswer answer;
  if (TKTakeScriptedAnswer(request, &answer)) {
    if (answer.status == kQVNoErr) {
      out->paths = answer.paths.empty() ? std::vector<std::string>{answer.path} : answer.paths;
      out->typeIndex = answer.typeIndex;
      out->hideExtension = answer.hideExtension;
    }
    return answer.status;
  }
  if (TKNoInputCanArrive()) return kQVErrCancelled;

  Panel p;
  p.desc = &desc;
  const char* home = std::getenv("HOME");
  p.folder = !desc.folder.empty() && IsFolder(desc.folder) ? desc.folder : (home ? home : "/");
  const char* fallbackTitle = desc.kind == kTKPanelSave ? "Save" : desc.kind == kTKPanelFolder ? "Choose a Folder" : "Open";
  const char* title = desc.title.empty() ? fallbackTitle : desc.title.c_str();
  TKWindow* w = TKCreateWindow(kTKWindowModal, TKMakeRect(0, 0, 580, 440), title);
  if (!w) return kQVErrMemory;
  p.window = w;
  // The title is drawn inside the panel too: without a window manager there
  // is no title bar to show it.
  TKControl* heading = TKNewStaticText(w, TKMakeRect(16, 10, 548, 20), title);
  TKFont bold = TKSystemFont();
  bold.bold = true;
  TKSetControlFont(heading, bold);
  int32_t y = 36;
  if (!desc.message.empty()) {
    TKNewStaticText(w, TKMakeRect(16, y, 548, 20), desc.message.c_str());
    y += 28;
  }
  if (desc.kind == kTKPanelSave) {
    TKNewStaticText(w, TKMakeRect(16, y + 2, 70, 20), "Save As:");
    p.name = TKNewEditText(w, TKMakeRect(90, y, 300, 24), desc.fileName.c_str());
    p.hide = TKNewCheckBox(w, TKMakeRect(404, y + 2, 160, 20), "Hide extension", desc.hideExtension ? 1 : 0);
    y += 36;
  }
  TKControl* up = TKNewBevelButton(w, TKMakeRect(16, y, 36, 24), "\xE2\x86\x91", 0, false);
  TKSetControlCommand(up, kCmdUp);
  TKSetHelpTag(up, "Enclosing folder");
  p.path = TKNewEditText(w, TKMakeRect(60, y, 504, 24), "");
  TKSetHelpTag(p.path, "The folder shown; type or paste a path to go there");
  y += 30;
  p.where = TKNewStaticText(w, TKMakeRect(16, y, 548, 18), "");
  y += 22;
  int32_t listBottom = 440 - 16 - 26 - 16 - (desc.types.size() > 1 ? 34 : 0);
  p.list = TKNewList(w, TKRect{y, 16, listBottom, 564});
  TKListSetColumns(p.list, {{"Name", 400, false, false}, {"Size", 146, false, false}});
  TKListAllowMultipleSelection(p.list, desc.kind == kTKPanelOpen && desc.multiple);
  if (desc.types.size() > 1) {
    p.typeMenu = TKCreateMenu(-1, "");
    int32_t first = 0;
    for (size_t i = 0; i < desc.types.size(); ++i) {
      const TKFileType& t = desc.types[i];
      TKAppendMenuItem(p.typeMenu, IsSeparatorType(t) ? "-" : t.name.c_str(), 0);
      if (int32_t(i) == desc.typeIndex && !IsSeparatorType(t)) first = int32_t(i);
    }
    TKNewStaticText(w, TKMakeRect(16, listBottom + 10, 60, 22), "Format:");
    p.types = TKNewPopupButton(w, TKMakeRect(80, listBottom + 8, 240, 24), "", p.typeMenu, first + 1);
    TKInstallControlHandler(p.types, [&p](TKEvent& e) {
      if (e.kind == kTKEventControlHit) p.Fill();
      return kQVErrNotHandled;
    });
  }
  const char* chooseTitle = !desc.prompt.empty()           ? desc.prompt.c_str()
                            : desc.kind == kTKPanelSave   ? "Save"
                            : desc.kind == kTKPanelFolder ? "Choose"
                                                          : "Open";
  std::vector<TKControl*> buttons = TKAddDialogButtons(w, {{chooseTitle, kCmdChoose}, {"Cancel", kCmdCancel}});
  TKSetDefaultButton(w, buttons[0]);
  TKSetCancelButton(w, buttons[1]);
  TKInstallControlHandler(p.list, [&p](TKEvent& e) {
    if (e.kind != kTKEventControlHit || e.clickCount < 2) return kQVErrNotHandled;
    const Entry* sel = p.Selected();
    if (sel && sel->folder) {
      p.Enter(Join(p.folder, sel->name));
    } else if (sel && p.desc->kind == kTKPanelSave) {
      TKSetEditText(p.name, sel->name.c_str());
    } else if (p.Choose()) {
      TKEndModal(p.window, 1);
    }
    return kQVNoErr;
  });
  TKInstallWindowHandler(w, [&p](TKEvent& e) {
    // "/" or "~" typed in the list starts a path in the folder field.
    if (e.kind == kTKEventKeyDown && (e.charCode == '/' || e.charCode == '~') && !(e.modifiers & kTKModCommand) &&
        TKGetKeyboardFocus(p.window) == p.list) {
      const char text[2] = {char(e.charCode), 0};
      TKSetEditText(p.path, text);
      // The field is there and focusable; a refusal leaves the focus where it was.
      QVIgnoreStatus(TKSetKeyboardFocus(p.window, p.path));
      TKSetEditSelection(p.path, 1, 1);
      return kQVNoErr;
    }
    if (e.kind != kTKEventCommand) return kQVErrNotHandled;
    if (e.command == kCmdCancel) TKEndModal(p.window, 2);
    else if (e.command == kCmdUp) p.Enter(Parent(p.folder));
    else if (e.command == kCmdChoose) {
      if (p.Choose()) TKEndModal(p.window, 1);
    } else {
      return kQVErrNotHandled;
    }
    return kQVNoErr;
  });
  p.Fill();
  // The field is there and focusable; a refusal leaves the focus where it was.
  QVIgnoreStatus(TKSetKeyboardFocus(w, p.name ? p.name : p.list));
  int32_t result = TKRunModal(w);
  int32_t typeIndex = p.types ? TKGetControlValue(p.types) - 1 : 0;
  bool hidden = p.hide && TKGetControlValue(p.hide) != 0;
  TKDisposeWindow(w);
  if (p.typeMenu) TKDisposeMenu(p.typeMenu);
  if (result != 1) return kQVErrCancelled;
  out->paths = p.chosen;
  out->typeIndex = typeIndex;
  out->hideExtension = hidden;
  return kQVNoErr;
}
