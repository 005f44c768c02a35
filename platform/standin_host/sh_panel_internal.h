// What the panel's parts share inside the stand-in host.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "platform/standin_host/sh_panel.h"

// The panel the drawing and app suites serve (one at a time, as the suite
// functions carry no context beyond the drawing reference).
extern std::atomic<SHPanel*> gSHActivePanel;

// A drawing reference: the panel picture being drawn, and the text drawn on it.
struct SHPanelDrawing {
  TKContext* ctx = nullptr;
  std::vector<std::string> strings;
};

extern const HIEffectCustomUISuite1 kSHCustomUISuite;
extern const HIDrawbotDrawSuite1 kSHDrawSuite;
extern const HIDrawbotSupplierSuite1 kSHSupplierSuite;
extern const HIDrawbotSurfaceSuite1 kSHSurfaceSuite;
extern const HIDrawbotPathSuite1 kSHPathSuite;
extern const HIAppSuite6 kSHAppSuite;
extern const HIPortSuite1 kSHPortSuite;

// Undo groups opened ("begin <name>") and closed (null) through the utility suite.
void SHPanelNoteUndo(const char* name);
