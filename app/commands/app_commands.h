// The grading application's command vocabulary: every menu item, push
// button and several keys carry a four-character command ID, and
// HandleAppCommand carries out all of them. Also the menu bar that assigns
// the IDs, the enabling of its items, and the application-level event
// handler that feeds both.
//
// Result codes: kQVNoErr means the command is consumed; kQVErrNotHandled
// (-9874) lets the next handler, and at last the toolkit's standard
// behaviour, see it too. Most commands answer kQVErrNotHandled after doing
// their work (see AppCommandResult).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "app/commands/shell_commands.h"
#include "core/settings_record.h"
#include "platform/file_ref.h"
#include "platform/fourcc.h"
#include "platform/status.h"

struct TKControl;
struct TKEvent;
struct TKMenu;
struct TKImage;
struct TKWindow;

// Menu ids.
enum : int32_t {
  kAppMenuApplication = 128,
  kAppMenuFile = 129,
  kAppMenuEdit = 130,
  kAppMenuView = 131,
  kAppMenuSettings = 132,
  kAppMenuReference = 133,
  kAppMenuHelp = 136,
  kAppMenuImport = 140,
  kAppMenuExport = 141,
  kAppMenuImportMedia = 144,
  kAppMenu3dlFlavours = 149,
  kAppMenuMatchChannel = 150,
};

// Session (the commands the shell's least handler knows keep its IDs).
constexpr uint32_t kAppCmdOK = kUICommandOK;
constexpr uint32_t kAppCmdCancel = kUICommandCancel;
constexpr uint32_t kAppCmdQuit = kUICommandQuitApp;
constexpr uint32_t kAppCmdAbout = kUICommandAbout;
constexpr uint32_t kAppCmdPreferences = QVFourCC("pref");
// Edit.
constexpr uint32_t kAppCmdUndo = kUICommandUndo;
constexpr uint32_t kAppCmdRedo = kUICommandRedo;
constexpr uint32_t kAppCmdCut = QVFourCC("cut ");
constexpr uint32_t kAppCmdCopy = QVFourCC("copy");
constexpr uint32_t kAppCmdPaste = QVFourCC("past");
constexpr uint32_t kAppCmdClear = QVFourCC("clea");
// Whole correction.
constexpr uint32_t kAppCmdResetAll = QVFourCC("SCrs");
constexpr uint32_t kAppCmdResetAllButton = QVFourCC("VLra");
constexpr uint32_t kAppCmdResetSections = QVFourCC("VLrt");
constexpr uint32_t kAppCmdLoadSettings = QVFourCC("SCld");
constexpr uint32_t kAppCmdLoadSettingsButton = QVFourCC("VLld");
constexpr uint32_t kAppCmdSaveSettings = QVFourCC("SCsv");
constexpr uint32_t kAppCmdSaveSettingsButton = QVFourCC("VLsv");
constexpr uint32_t kAppCmdSaveUserPreset = QVFourCC("SCsp");
constexpr uint32_t kAppCmdLoadCDL = QVFourCC("SCla");
constexpr uint32_t kAppCmdSaveCDL = QVFourCC("SCsa");
constexpr uint32_t kAppCmdAutoColor = QVFourCC("VLac");
constexpr uint32_t kAppCmdAutoExposure = QVFourCC("VLae");
constexpr uint32_t kAppCmdLoadCurves = QVFourCC("VLlc");
constexpr uint32_t kAppCmdSaveCurves = QVFourCC("VLsc");
// The "Input Settings" dialog on the current frame's input linearization.
constexpr uint32_t kAppCmdInputSettings = QVFourCC("VLis");
// View.
constexpr uint32_t kAppCmdLayout1 = QVFourCC("VC1w");
constexpr uint32_t kAppCmdLayout2 = QVFourCC("VC2w");
constexpr uint32_t kAppCmdLayout3 = QVFourCC("VC3w");
constexpr uint32_t kAppCmdPrimaryLUTItem = QVFourCC("VCpl");
constexpr uint32_t kAppCmdSecondaryLUTItem = QVFourCC("VCsl");
constexpr uint32_t kAppCmdExternalLUTItem = QVFourCC("VCel");
// Reference image.
constexpr uint32_t kAppCmdSaveReferenceImage = QVFourCC("CCri");
// Exports: the current clip rendered with the correction, and the LUTs.
constexpr uint32_t kAppCmdRenderMovie = QVFourCC("FEqt");
constexpr uint32_t kAppCmdRenderSequence = QVFourCC("FEis");
constexpr uint32_t kAppCmdExportAcademy = QVFourCC("FElA");
constexpr uint32_t kAppCmdExportLustre = QVFourCC("FEaL");
constexpr uint32_t kAppCmdExportFlame = QVFourCC("FEaF");
constexpr uint32_t kAppCmdExportSmoke = QVFourCC("FEaS");
constexpr uint32_t kAppCmdExportAutodesk = QVFourCC("FEaG");
constexpr uint32_t kAppCmdExportHDLink = QVFourCC("FElH");
constexpr uint32_t kAppCmdExportCinetal = QVFourCC("FElc");
constexpr uint32_t kAppCmdExportLUTher = QVFourCC("FElL");
constexpr uint32_t kAppCmdExportPanavision = QVFourCC("FElG");
constexpr uint32_t kAppCmdExportPogle = QVFourCC("FElP");
constexpr uint32_t kAppCmdExportScratch = QVFourCC("FElS");
constexpr uint32_t kAppCmdExportTruelight = QVFourCC("FElT");
constexpr uint32_t kAppCmdExportPreviewLUT = QVFourCC("FElC");
// Help.
constexpr uint32_t kAppCmdHelp = QVFourCC("HLPm");
// Control-surface definitions, chart matching, tests.
constexpr uint32_t kAppCmdSaveSurfaceDefinitions = QVFourCC("DBsc");
constexpr uint32_t kAppCmdLoadSurfaceDefinitions = QVFourCC("DBlc");
constexpr uint32_t kAppCmdLoadChartReference = QVFourCC("DBlr");
constexpr uint32_t kAppCmdMatchChartImage = QVFourCC("DBai");
constexpr uint32_t kAppCmdMatchChartFolder = QVFourCC("DBab");
constexpr uint32_t kAppCmdLUTTestImage = QVFourCC("DB3d");
constexpr uint32_t kAppCmdTimingTest = QVFourCC("DBtt");

// The named clipboard that carries a correction between the application's
// processes, and its flavour.
constexpr const char* kAppScrapName = "com.quorvane.scrap.secret";
constexpr uint32_t kAppScrapFlavor = QVFourCC("VLst");

// The result HandleAppCommand gives for an ID: kQVNoErr for the commands
// that consume themselves ('ok  ', 'not!', 'quit', 'abou', 'DB3d' and the
// four transport no-ops), kQVErrNotHandled for every other ID, known or not.
QVStatus AppCommandResult(uint32_t commandID);

// The name the reference-image command suggests for the pane's picture.
void ReferenceImageName(TKControl* pane, std::string* name);

// Carries out one command. control is the control that sent it (the Reset
// buttons' 'VLrt' reads its section mask from it), or null for menu
// commands and keys.
QVStatus HandleAppCommand(uint32_t commandID, TKControl* control);

// Every command ID the handler knows, for tests and the script's menu verb.
struct AppCommandEntry {
  uint32_t id;
  const char* name;  // what it does, for diagnostics
};
const AppCommandEntry* AppCommandTable(size_t* count);

// The menu bar with every menu and item; called once after the main window
// exists (through UIHooks().buildMenuBar).
void BuildMenuBar();
// Brings item enabling up to date (before a menu shows or a key runs).
void HandleMenuEnableItems();
// Enables or disables the File, Edit, View, Settings, reference-image and
// Help menus as a whole.
void EnableSessionMenus(bool enable);
// Checks exactly the items of the menu whose command is commandID. 0.
QVStatus CheckMenuItemByCommand(TKMenu* menu, uint32_t commandID);
// Whether a menu as a whole is enabled (false for no menu).
bool AppMenuEnabled(int32_t menuID);
// Whether the item carrying the command is in the menu bar and enabled
// (after HandleMenuEnableItems), as a person would find it.
bool AppMenuCommandEnabled(uint32_t commandID);

// The strip along the top of the main display that shows the menu bar
// while a session is open (made on first use).
TKWindow* AppMenuBarWindow();

// The application's event handler: enabling, activation, commands, the
// mouse wheel and contextual clicks.
QVStatus HandleApplicationEvents(TKEvent& event);
// Installs HandleApplicationEvents on the application's handler chain in
// place of the shell's least command handler.
void InstallAppCommands();
// Puts the menu bar builder (which also installs the handler, once the
// toolkit runs) and the session menu switch on the shell's hooks.
void InstallAppCommandHooks();

// The clipboard record: a file "com.quorvane.scrap.secret" under the user's
// runtime folder ($XDG_RUNTIME_DIR, else the temporary folder), holding one
// whole correction record, replaced atomically.
std::string AppScrapPath();
// Puts the record on the clipboard; false when it cannot be written.
bool AppScrapPut(const VL_SettingsStruct* settings);
// Whether the clipboard holds exactly one record whose first word is the
// byte-order flag (either byte order); the record, in native order, in
// *settings when given. Never reads more than one record's bytes and one.
bool AppScrapGet(VL_SettingsStruct* settings);

// What the commands call in subsystems that are not part of this program
// yet (gallery, interchange exports, chart matching, control surfaces,
// image files). Each starts as an answer "not available": an alert naming
// the feature, and kQVErrUnimplemented. The subsystems install the real
// ones as they are built.
struct AppCommandServices {
  // Gallery and presets.
  QVStatus (*saveUserPreset)(const VL_SettingsStruct* settings);
  void (*rebuildPresetGallery)();
  void (*saveGalleryColumns)();
  // ASC CDL.
  QVStatus (*loadCDL)(VL_SettingsStruct* settings);
  QVStatus (*saveCDL)(const VL_SettingsStruct* settings);
  // 3D LUT exports: the export command ID names the format (and flavour).
  QVStatus (*export3DLUT)(uint32_t commandID, const VL_SettingsStruct* settings);
  // Reference images: the result picture saved as a reference image (the
  // suggested name may be null) and added to the gallery.
  QVStatus (*saveReferenceImage)(TKImage* image, const char* suggestedName);
  // Chart matching ('DBlr', 'DBai', 'DBab').
  QVStatus (*chartCommand)(uint32_t commandID);
  // Control-surface definitions written to or read from the file the
  // command's panel chose; null while the surfaces are not built (the
  // commands then say so without asking for a file).
  QVStatus (*surfaceWriteDefinitions)(const char* path, const char* name);
  QVStatus (*surfaceReadDefinitions)(const char* path);
  // The preferences dialog over gPrefsSettings: true when the record changed.
  bool (*runPreferencesDialog)(int32_t* lastTab);
  // Whether a video output device is open.
  bool (*videoOutputOpen)();
};
AppCommandServices& AppServices();
// Puts every service back to its "not available" answer (the preferences
// dialog over gPrefsSettings, no video output).
void AppResetServices();

// The alert of a service that is not available: "<feature> is not
// available in this version of Velmora." Returns kQVErrUnimplemented.
QVStatus AppServiceNotAvailable(const char* feature);
