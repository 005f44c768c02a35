// Context menus attached to controls through properties and run with a
// procedure called before (phase 1) and after (phase 2) the user's choice,
// and help tags taken from string lists, all shown or hidden by one switch.
#pragma once

#include <cstdint>

#include "platform/status.h"
#include "platform/ui/ui_types.h"

struct TKControl;
struct TKMenu;
struct TKWindow;

enum : int32_t { kVFMenuBeforeOpen = 1, kVFMenuAfterChoice = 2 };
// Called as (control or null, phase, chosen item in the low 16 bits (0
// none), menu, reference value).
using VFContextMenuProc = void (*)(TKControl* control, int32_t phase, int32_t chosen, TKMenu* menu, int32_t refValue);

QVStatus SetControlContextMenu(TKControl* control, TKMenu* menu, VFContextMenuProc proc, int32_t refValue);
// kQVErrNotHandled (-9874) for a null control or one without a procedure or
// a menu; otherwise runs the menu at the point and answers kQVNoErr.
QVStatus HandleControlContextClick(TKControl* control, TKPoint where);
// The same without a control; a null procedure only shows the menu.
QVStatus RunContextMenu(TKWindow* window, TKPoint where, TKMenu* menu, VFContextMenuProc proc, int32_t preselected,
                        int32_t refValue);
// Pops the menu up at the point in the small system font; the choice as
// menu ID << 16 | item, 0 when nothing was chosen.
int32_t PopUpContextMenu(TKWindow* window, TKMenu* menu, TKPoint where, int32_t preselected);

// String lists by id (help texts), indexed from 1.
void VFRegisterStringList(int32_t listID, const char* const* strings, int32_t count);
// Fills the empty or missing entries from firstIndex on, keeping the rest:
// parts that share a list each bring their own texts.
void VFFillListStrings(int32_t listID, int32_t firstIndex, const char* const* strings, int32_t count);
// The control's help tag: the text at minIndex, and at maxIndex the longer
// text kept beside it. kQVErrParam when the list or the index is missing.
QVStatus SetControlHelpTag(TKControl* control, int32_t listID, int32_t minIndex, int32_t maxIndex);
void SetHelpTagsDisplayed(bool shown);
