#include "platform/folders.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/log.h"

namespace {

struct FolderRule {
  PLFolderKind kind;
  const char* variable;   // our override
  const char* xdg;        // the XDG variable, or null
  const char* homeTail;   // default below $HOME, or null
  const char* fallback;   // absolute default
};

const FolderRule kRules[] = {
    {kPLFolderSystemSupport, "VELMORA_SYSTEM_SUPPORT", "XDG_DATA_DIRS", nullptr, "/usr/local/share"},
    {kPLFolderUserSupport, "VELMORA_USER_SUPPORT", "XDG_DATA_HOME", ".local/share", nullptr},
    {kPLFolderPreferences, "VELMORA_PREFERENCES", "XDG_CONFIG_HOME", ".config", nullptr},
    {kPLFolderTemporary, "VELMORA_TEMP", "TMPDIR", nullptr, "/tmp"},
    {kPLFolderDocuments, "VELMORA_DOCUMENTS", "XDG_DOCUMENTS_DIR", "Documents", nullptr},
};

const FolderRule* FindRule(PLFolderKind kind) {
  for (const FolderRule& r : kRules)
    if (r.kind == kind) return &r;
  return nullptr;
}

bool Usable(const char* v) { return v != nullptr && v[0] == '/'; }

// The folder's path; empty when our variable holds a relative path, which
// would name a different folder in every working directory.
std::string FolderPath(const FolderRule& r) {
  const char* v = std::getenv(r.variable);
  if (Usable(v)) return v;
  if (v != nullptr && v[0] != '\0') return "";
  v = std::getenv(r.xdg);
  if (Usable(v)) {
    std::string s = v;
    return s.substr(0, s.find(':'));  // XDG_DATA_DIRS is a list: the first wins
  }
  if (r.homeTail != nullptr) {
    const char* home = std::getenv("HOME");
    if (Usable(home)) return std::string(home) + "/" + r.homeTail;
    return std::string("/tmp/") + r.homeTail;
  }
  return r.fallback;
}

}  // namespace

const char* PLFolderVariable(PLFolderKind kind) {
  const FolderRule* r = FindRule(kind);
  return r ? r->variable : nullptr;
}

QVStatus PLFolderPath(PLFolderKind kind, QVFileRef* out) {
  const FolderRule* r = FindRule(kind);
  if (r == nullptr || out == nullptr) return kQVErrParam;
  std::string path = FolderPath(*r);
  if (path.empty()) {
    char text[kQVMaxPath + 128];
    std::snprintf(text, sizeof text, "%s=%s: a folder variable must hold an absolute path", r->variable,
                  std::getenv(r->variable));
    PLLogWrite("folders", text);
    return kQVErrParam;
  }
  if (path.size() >= sizeof out->path) return kQVErrParam;
  std::snprintf(out->path, sizeof out->path, "%s", path.c_str());
  return kQVNoErr;
}

QVStatus PLFindFolder(PLFolderKind kind, bool create, QVFileRef* out) {
  QVFileRef named;
  QVStatus st = PLFolderPath(kind, &named);
  if (st != kQVNoErr) return st;
  std::string path = named.path;
  if (create && !PLPathIsFolder(path.c_str())) {
    st = PLCreateFolders(path.c_str());
    if (st != kQVNoErr) return st;
  }
  return PLFileRefFromPath(path.c_str(), out);
}
