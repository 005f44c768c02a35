// The open, save and folder panels every file choice goes through. Each call
// names its dialog by a four-character id ('LdCv', 'SvSt', ...); the last
// folder of each id and kind of panel, and for save panels whether the user
// hid the extension, are remembered in the panels' own preferences domain
// and offered again next time.
//
// Keys, with the kind "GetFile" (open and folder panels) or "PutFile" (save
// panels) and the id as a signed decimal number ('SvCv' is 1400259446):
//   "NSNavLastCurrentDirectory:<kind>:<id>"                 the folder, home as "~"
//   "NSNavLastUserSetHideExtensionButtonState:<kind>:<id>"  boolean, save panels
//
// Every panel returns kQVNoErr when the user confirmed and kQVErrCancelled
// otherwise; on cancel the caller's outputs keep what they held (except as
// noted) and nothing is remembered. Title, prompt (the default button's
// text) and message are applied only when not null.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/file_ref.h"
#include "platform/status.h"

constexpr const char* kQVPanelsDomain = "com.quorvane.QV Velmora 3 UI.plist";
constexpr const char* kQVPanelKindGet = "GetFile";
constexpr const char* kQVPanelKindPut = "PutFile";

// One entry of a file-type list; a list ends with an entry of type 0. A name
// beginning with "-" is a separator in the type popup.
struct QVFileTypeListEntry {
  uint32_t type;          // four-character file type, '????' for any
  const char* extension;  // with its dot: ".acv"; ".*" for any
  const char* name;       // shown in the type popup
  void* reserved;
};

// The save panels' reply: the chosen file name until QVPutFileComplete.
struct QVPutFileReply {
  bool hasSelection = false;
  std::string selection;
};

QVStatus QVGetFileSelectionSingle(QVFileRef* file, const char* title, const char* prompt, const char* message,
                                  int32_t dialogID, const QVFileTypeListEntry* types);
// The chosen file's path in the buffer (always terminated; kQVErrParam when
// it does not fit).
QVStatus QVGetFileSelectionSingleAsPath(char* path, size_t pathSize, const char* title, const char* prompt,
                                        const char* message, int32_t dialogID, const QVFileTypeListEntry* types,
                                        int32_t unused1 = 0, int32_t unused2 = 0);
// Also gives the index in the list of the type popup's choice (typeIndex may be null).
QVStatus QVGetFileSelectionSingleWithTypeList(QVFileRef* file, int32_t* typeIndex, const char* title,
                                              const char* prompt, const char* message, int32_t dialogID,
                                              const QVFileTypeListEntry* types);
QVStatus QVGetFileSelectionSingleAsPathWithTypeList(char* path, size_t pathSize, int32_t* typeIndex,
                                                    const char* title, const char* prompt, const char* message,
                                                    int32_t dialogID, const QVFileTypeListEntry* types,
                                                    int32_t unused1 = 0, int32_t unused2 = 0);
// Several files: a new array of references (free it with std::free) and its
// count; both are 0 unless the user confirmed. When the array cannot be
// allocated the count is set and the array stays null.
QVStatus QVGetFileSelectionMultiple(QVFileRef** files, int32_t* count, const char* title, const char* prompt,
                                    const char* message, int32_t dialogID, const QVFileTypeListEntry* types);
QVStatus QVGetFolderSelection(QVFileRef* folder, const char* title, const char* prompt, const char* message,
                              int32_t dialogID);

// The folder and file name to save into; the name also becomes the reply's
// selection. extension (without its dot) is added to a name that lacks it.
// The creator, type list, filter text and flag are accepted and not used.
// The reply's selection is cleared on cancel.
QVStatus QVPutFileSelection(QVFileRef* folder, std::string* fileName, QVPutFileReply* reply, const char* title,
                            const char* prompt, const char* message, int32_t dialogID, const char* extension,
                            const char* defaultName, uint32_t creator = 0,
                            const QVFileTypeListEntry* types = nullptr, const char* filter = nullptr,
                            int32_t flag = 0);
// The full path to save into; the reply's selection is cleared. A path that
// does not fit is cut, terminated, and kQVErrParam returned.
QVStatus QVPutFileSelectionAsPath(char* path, size_t pathSize, QVPutFileReply* reply, const char* title,
                                  const char* prompt, const char* message, int32_t dialogID,
                                  const char* extension, const char* defaultName, uint32_t creator = 0,
                                  const QVFileTypeListEntry* types = nullptr, const char* filter = nullptr,
                                  int32_t flag = 0);
// Releases the reply's selection; null is allowed. Returns 0.
QVStatus QVPutFileComplete(QVPutFileReply* reply);

// The remembered state. kind is kQVPanelKindGet or kQVPanelKindPut.
// The stored folder, as stored ("~" not expanded); false when none.
bool GetOpenPanelPathPref(const char* kind, int32_t dialogID, std::string* folder);
// The stored folder as a real path: a leading "~" stands for the home folder.
bool GetOpenPanelFolder(const char* kind, int32_t dialogID, std::string* folder);
// True when the stored value is the boolean true, and when kind is null.
bool GetOpenPanelHideExtensionPref(const char* kind, int32_t dialogID);
// Store the value (a null folder stores nothing), then synchronise the domain.
void SaveOpenPanelPathPref(const char* kind, int32_t dialogID, const char* folder);
void SaveOpenPanelHideExtensionPref(const char* kind, int32_t dialogID, bool hidden);
