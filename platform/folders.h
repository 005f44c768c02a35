// Special folders: where programs keep their support files, preferences,
// temporary files and documents. Each folder follows the XDG base-directory
// rules and can be pointed elsewhere by one environment variable, so tests
// run in a private folder. The variable must hold an absolute path:
//
//   kind                      variable                 default
//   system application data   VELMORA_SYSTEM_SUPPORT   first of $XDG_DATA_DIRS, else /usr/local/share
//   user application data     VELMORA_USER_SUPPORT     $XDG_DATA_HOME, else ~/.local/share
//   preferences               VELMORA_PREFERENCES      $XDG_CONFIG_HOME, else ~/.config
//   temporary                 VELMORA_TEMP             $TMPDIR, else /tmp
//   documents                 VELMORA_DOCUMENTS        $XDG_DOCUMENTS_DIR, else ~/Documents
#pragma once

#include "platform/file_ref.h"
#include "platform/status.h"

enum PLFolderKind {
  kPLFolderSystemSupport,
  kPLFolderUserSupport,
  kPLFolderPreferences,
  kPLFolderTemporary,
  kPLFolderDocuments,
};

// The folder's path in out; with create set a missing folder is created
// (with its parents). kQVErrFileNotFound when it does not exist and create is
// false, kQVErrParam for an unknown kind or a relative path in its variable.
QVStatus PLFindFolder(PLFolderKind kind, bool create, QVFileRef* out);

// The folder's path in out, whether or not it exists; nothing is created.
// kQVErrParam when the folder's variable holds a relative path (said in the
// diagnostic log) or for an unknown kind.
QVStatus PLFolderPath(PLFolderKind kind, QVFileRef* out);

// The name of the environment variable that overrides the folder.
const char* PLFolderVariable(PLFolderKind kind);
