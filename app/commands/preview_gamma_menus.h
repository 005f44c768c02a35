// The menus from which the user picks the preview LUT of each of the three
// preview outputs (primary, secondary, external), and the file loader behind
// their "Other..." item. The tables themselves are built by
// BuildLinearizationLUT (support/preview_lut.h).
#pragma once

#include <cstdint>

#include "platform/fourcc.h"

struct TKMenu;

enum : int32_t { kPrimaryLUTMenuID = 145, kSecondaryLUTMenuID = 146, kExternalLUTMenuID = 147 };

// Command bases: an item's command is the base plus its choice (50..56), so
// the primary menu runs from 'VCpb' ("None") to 'VCph' ("Other...").
constexpr uint32_t kPrimaryLUTCommandBase = QVFourCC("VCp0");
constexpr uint32_t kSecondaryLUTCommandBase = QVFourCC("VCs0");
constexpr uint32_t kExternalLUTCommandBase = QVFourCC("VCe0");

// Appends "None", "ITU.R 601 Gamma", "ITU.R 709 Gamma", "SMPTE 240M Gamma",
// "Invert" and "Other..." (choices 50 to 54 and 56), each with the command
// base + choice. Returns the number of items appended (6; 0 without a menu).
int32_t FillLinearizationMenu(TKMenu* menu, uint32_t commandBase);

// The choice a command of one of the three menus stands for, or 0 when the
// command belongs to none of them.
int32_t LinearizationChoiceForCommand(uint32_t command, uint32_t commandBase);

// The "Load LUT" open panel ('LdLu') over the four LUT file kinds; the chosen
// kind's reader fills the 768-byte table. 1 after a read, 0 when cancelled
// or the file could not be read (the table is then unchanged).
int LoadLinearizationLUTFile(uint8_t* table);
