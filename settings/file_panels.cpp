// Open, save and folder panels with remembered folders, on the toolkit's panels.
#include "settings/file_panels.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "platform/prefs_store.h"
#include "platform/ui/ui_dialogs.h"
#include "support/paths.h"

namespace {

std::string Key(const char* what, const char* kind, int32_t dialogID) {
  char key[160];
  std::snprintf(key, sizeof key, "%s:%s:%d", what, kind, int(dialogID));
  return key;
}

std::string Home() {
  const char* home = std::getenv("HOME");
  std::string h = home ? home : "";
  while (h.size() > 1 && h.back() == '/') h.pop_back();
  return h;
}

// The home folder at the start of a path becomes "~", and back.
std::string AbbreviateHome(const std::string& path) {
  std::string home = Home();
  if (home.empty() || home == "/") return path;
  if (path == home) return "~";
  if (path.compare(0, home.size() + 1, home + "/") == 0) {
    std::string abbreviated = "~";  // appended, not "~" + ...: GCC 12 at -O3 misreads that as an overlapping copy
    abbreviated += path.substr(home.size());
    return abbreviated;
  }
  return path;
}

std::string ExpandHome(const std::string& path) {
  if (path == "~") return Home();
  if (path.compare(0, 2, "~/") == 0) return Home() + path.substr(1);
  return path;
}

std::string ParentOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return path;
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::vector<TKFileType> Types(const QVFileTypeListEntry* list) {
  std::vector<TKFileType> types;
  for (const QVFileTypeListEntry* e = list; e && e->type != 0; ++e) {
    TKFileType t;
    t.name = e->name ? e->name : "";
    std::string ext = e->extension ? e->extension : "";
    if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
    t.extension = ext;
    types.push_back(t);
  }
  return types;
}

// The types a panel without a type popup allows: every entry but the separators.
std::vector<TKFileType> AllowedTypes(const QVFileTypeListEntry* list) {
  std::vector<TKFileType> allowed;
  for (const TKFileType& t : Types(list))
    if (t.name.empty() || t.name[0] != '-') allowed.push_back(t);
  return allowed;
}

TKPanelRequest PanelRequest(TKPanelKind kind, const char* title, const char* prompt, const char* message, const char* prefKind,
                 int32_t dialogID) {
  TKPanelRequest request;
  request.kind = kind;
  if (title) request.title = title;
  if (prompt) request.prompt = prompt;
  if (message) request.message = message;
  GetOpenPanelFolder(prefKind, dialogID, &request.folder);
  if (request.folder.empty()) request.folder = Home();
  return request;
}

// Runs the panel; on confirmation remembers the folder of the first choice.
QVStatus Run(const TKPanelRequest& request, const char* prefKind, int32_t dialogID, TKPanelResult* result) {
  QVStatus status = TKRunFilePanelWithResult(request, result);
  if (status != kQVNoErr) return kQVErrCancelled;
  if (result->paths.empty() || result->paths.front().empty()) return kQVErrCancelled;
  SaveOpenPanelPathPref(prefKind, dialogID, AbbreviateHome(ParentOf(result->paths.front())).c_str());
  return kQVNoErr;
}

QVStatus CopyPath(const std::string& path, char* buffer, size_t size) {
  if (!buffer || size == 0) return kQVErrParam;
  size_t n = std::min(path.size(), size - 1);
  std::memcpy(buffer, path.data(), n);
  buffer[n] = 0;
  return n == path.size() ? kQVNoErr : kQVErrParam;
}

QVStatus OpenOne(QVFileRef* file, int32_t* typeIndex, const char* title, const char* prompt, const char* message,
                 int32_t dialogID, const QVFileTypeListEntry* types, bool withTypeList) {
  TKPanelRequest request = PanelRequest(kTKPanelOpen, title, prompt, message, kQVPanelKindGet, dialogID);
  // With the type popup every entry is offered, separators included, so the
  // chosen index is the list's; without it every listed type is allowed at once.
  request.types = withTypeList ? Types(types) : AllowedTypes(types);
  TKPanelResult result;
  QVStatus status = Run(request, kQVPanelKindGet, dialogID, &result);
  if (status != kQVNoErr) return status;
  QVFileRef chosen;
  status = QVNativePathCFStringToFSRef(result.paths.front(), &chosen);
  if (status != kQVNoErr) return status;
  if (file) *file = chosen;
  if (typeIndex) *typeIndex = result.typeIndex;
  return kQVNoErr;
}

QVStatus PutOne(std::string* path, QVPutFileReply* reply, const char* title, const char* prompt,
                const char* message, int32_t dialogID, const char* extension, const char* defaultName) {
  if (reply) QVIgnoreStatus(QVPutFileComplete(reply));  // releasing a reply cannot fail
  TKPanelRequest request = PanelRequest(kTKPanelSave, title, prompt, message, kQVPanelKindPut, dialogID);
  if (extension && *extension) request.types = {{extension, extension}};
  if (defaultName) request.fileName = defaultName;
  request.hideExtension = GetOpenPanelHideExtensionPref(kQVPanelKindPut, dialogID);
  TKPanelResult result;
  QVStatus status = Run(request, kQVPanelKindPut, dialogID, &result);
  if (status != kQVNoErr) return status;
  SaveOpenPanelHideExtensionPref(kQVPanelKindPut, dialogID, result.hideExtension);
  *path = result.paths.front();
  return kQVNoErr;
}

}  // namespace

bool GetOpenPanelPathPref(const char* kind, int32_t dialogID, std::string* folder) {
  if (!kind) return false;
  std::string value;
  if (!PLPrefsGetString(kQVPanelsDomain, Key("NSNavLastCurrentDirectory", kind, dialogID).c_str(), &value)) return false;
  if (folder) *folder = value;
  return true;
}

bool GetOpenPanelFolder(const char* kind, int32_t dialogID, std::string* folder) {
  std::string stored;
  if (!GetOpenPanelPathPref(kind, dialogID, &stored)) return false;
  if (folder) *folder = ExpandHome(stored);
  return true;
}

bool GetOpenPanelHideExtensionPref(const char* kind, int32_t dialogID) {
  if (!kind) return true;
  PLPrefValue value;
  return PLPrefsGetValue(kQVPanelsDomain, Key("NSNavLastUserSetHideExtensionButtonState", kind, dialogID).c_str(),
                         &value) &&
         value.type == kPLPrefBool && value.boolean;
}

void SaveOpenPanelPathPref(const char* kind, int32_t dialogID, const char* folder) {
  if (!kind) return;
  // The panel's last folder is a convenience: one that cannot be kept leaves
  // the next panel where it would open anyway, and is not worth an alert.
  QVFirstFailure kept;
  if (folder)
    kept.Note(PLPrefsSetString(kQVPanelsDomain, Key("NSNavLastCurrentDirectory", kind, dialogID).c_str(), folder));
  kept.Note(PLPrefsSynchronize(kQVPanelsDomain));
  QVIgnoreStatus(kept.status);
}

void SaveOpenPanelHideExtensionPref(const char* kind, int32_t dialogID, bool hidden) {
  if (!kind) return;
  // As the last folder: a convenience, not worth an alert when it is not kept.
  QVFirstFailure kept;
  kept.Note(
      PLPrefsSetBool(kQVPanelsDomain, Key("NSNavLastUserSetHideExtensionButtonState", kind, dialogID).c_str(), hidden));
  kept.Note(PLPrefsSynchronize(kQVPanelsDomain));
  QVIgnoreStatus(kept.status);
}

QVStatus QVGetFileSelectionSingle(QVFileRef* file, const char* title, const char* prompt, const char* message,
                                  int32_t dialogID, const QVFileTypeListEntry* types) {
  return OpenOne(file, nullptr, title, prompt, message, dialogID, types, false);
}

QVStatus QVGetFileSelectionSingleWithTypeList(QVFileRef* file, int32_t* typeIndex, const char* title,
                                              const char* prompt, const char* message, int32_t dialogID,
                                              const QVFileTypeListEntry* types) {
  return OpenOne(file, typeIndex, title, prompt, message, dialogID, types, true);
}

QVStatus QVGetFileSelectionSingleAsPath(char* path, size_t pathSize, const char* title, const char* prompt,
                                        const char* message, int32_t dialogID, const QVFileTypeListEntry* types,
                                        int32_t, int32_t) {
  QVFileRef file;
  QVStatus status = QVGetFileSelectionSingle(&file, title, prompt, message, dialogID, types);
  return status == kQVNoErr ? CopyPath(file.path, path, pathSize) : status;
}

QVStatus QVGetFileSelectionSingleAsPathWithTypeList(char* path, size_t pathSize, int32_t* typeIndex,
                                                    const char* title, const char* prompt, const char* message,
                                                    int32_t dialogID, const QVFileTypeListEntry* types, int32_t,
                                                    int32_t) {
  QVFileRef file;
  QVStatus status = QVGetFileSelectionSingleWithTypeList(&file, typeIndex, title, prompt, message, dialogID, types);
  return status == kQVNoErr ? CopyPath(file.path, path, pathSize) : status;
}

QVStatus QVGetFileSelectionMultiple(QVFileRef** files, int32_t* count, const char* title, const char* prompt,
                                    const char* message, int32_t dialogID, const QVFileTypeListEntry* types) {
  if (files) *files = nullptr;
  if (count) *count = 0;
  TKPanelRequest request = PanelRequest(kTKPanelOpen, title, prompt, message, kQVPanelKindGet, dialogID);
  request.types = AllowedTypes(types);
  request.multiple = true;
  TKPanelResult result;
  QVStatus status = Run(request, kQVPanelKindGet, dialogID, &result);
  if (status != kQVNoErr) return status;
  std::vector<QVFileRef> refs;
  for (const std::string& p : result.paths) {
    QVFileRef ref;
    if (QVNativePathCFStringToFSRef(p, &ref) == kQVNoErr) refs.push_back(ref);
  }
  if (count) *count = int32_t(refs.size());
  if (!files || refs.empty()) return kQVNoErr;
  auto* array = static_cast<QVFileRef*>(std::malloc(refs.size() * sizeof(QVFileRef)));
  if (!array) return kQVNoErr;
  std::memcpy(array, refs.data(), refs.size() * sizeof(QVFileRef));
  *files = array;
  return kQVNoErr;
}

QVStatus QVGetFolderSelection(QVFileRef* folder, const char* title, const char* prompt, const char* message,
                              int32_t dialogID) {
  TKPanelRequest request = PanelRequest(kTKPanelFolder, title, prompt, message, kQVPanelKindGet, dialogID);
  TKPanelResult result;
  QVStatus status = Run(request, kQVPanelKindGet, dialogID, &result);
  if (status != kQVNoErr) return status;
  QVFileRef chosen;
  status = QVNativePathCFStringToFSRef(result.paths.front(), &chosen);
  if (status == kQVNoErr && folder) *folder = chosen;
  return status;
}

QVStatus QVPutFileSelection(QVFileRef* folder, std::string* fileName, QVPutFileReply* reply, const char* title,
                            const char* prompt, const char* message, int32_t dialogID, const char* extension,
                            const char* defaultName, uint32_t, const QVFileTypeListEntry*, const char*, int32_t) {
  std::string path;
  QVStatus status = PutOne(&path, reply, title, prompt, message, dialogID, extension, defaultName);
  if (status != kQVNoErr) return status;
  QVFileRef parent;
  status = QVNativePathCFStringToFSRef(ParentOf(path), &parent);
  if (status != kQVNoErr) return status;
  std::string name = path.substr(path.find_last_of('/') + 1);
  if (folder) *folder = parent;
  if (fileName) *fileName = name;
  if (reply) {
    reply->hasSelection = true;
    reply->selection = name;
  }
  return kQVNoErr;
}

QVStatus QVPutFileSelectionAsPath(char* path, size_t pathSize, QVPutFileReply* reply, const char* title,
                                  const char* prompt, const char* message, int32_t dialogID, const char* extension,
                                  const char* defaultName, uint32_t, const QVFileTypeListEntry*, const char*,
                                  int32_t) {
  std::string chosen;
  QVStatus status = PutOne(&chosen, reply, title, prompt, message, dialogID, extension, defaultName);
  if (status != kQVNoErr) return status;
  return CopyPath(chosen, path, pathSize);
}

QVStatus QVPutFileComplete(QVPutFileReply* reply) {
  if (reply) {
    reply->hasSelection = false;
    reply->selection.clear();
  }
  return kQVNoErr;
}
