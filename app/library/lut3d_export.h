// 3D LUT export: the current correction sampled on a lattice of RGB inputs
// through the correction engine and written in the text layout of another
// grading or display system. One table lists the formats; each has a file
// of its own (lut3d_<format>.cpp) with its layout written down at the top.
//
// With D divisions there are N = D + 1 points per axis and N^3 entries.
// Inputs run 0, s, 2s, ... with s = 1 / D (a 32-bit float, the coordinates
// summed step by step); the LUTher and Panavision GDP lattices take
// s = (1024 / 876) / D and so reach about 1.169. Entries go red slowest,
// blue fastest, except in the Truelight cube (red fastest).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/settings_record.h"
#include "platform/file_ref.h"
#include "platform/status.h"

struct LUT3DFormat;

// Writes the lattice of the record into the file named in the folder. The
// file appears whole or not at all: 0, kQVErrParam for divisions below 1
// (or above kLUT3DMaxDivisions) or a name that is not one path component,
// kQVErrMemory, or the status of the error number of a failed write (-43
// no such folder, -34 the disk is full, ...). The written file's reference
// in result when asked for. Leaves the processing tables built from the record.
using LUT3DWriterProc = QVStatus (*)(const VL_SettingsStruct* settings, const QVFileRef* folder,
                                     const std::string& name, int32_t divisions, const LUT3DFormat& format,
                                     QVFileRef* result);

struct LUT3DFormat {
  uint32_t command;         // the export command
  const char* name;         // the format's name (a .3dl flavour's own name)
  const char* extension;    // without its dot
  int32_t divisions;        // D the command passes
  LUT3DWriterProc writer;
  const char* defaultName;  // the save panel's suggested name
  const char* filter;       // its filter text
  const char* title;        // its title
  int32_t inputBits;        // Academy and .3dl: 10
  int32_t outputBits;       // Academy and .3dl: 12
  int32_t flavour;          // .3dl: 1 to 7; else 0
};

constexpr int32_t kLUT3DMaxDivisions = 256;

// The formats the export commands offer, one row per command.
const LUT3DFormat* LUT3DFormats(size_t* count);
// The row of an export command; null for any other ID.
const LUT3DFormat* LUT3DFormatForCommand(uint32_t commandID);

// Asks for the file with the save panel of the format's texts, then writes
// it. The panel's status (kQVErrCancelled: nothing written), else the
// writer's; a failed write is said in an alert naming the file and the reason.
QVStatus LUT3DSave(const VL_SettingsStruct* settings, const LUT3DFormat& format, QVFileRef* result);
// The export behind a command ID ('FElA', 'FEaL', ...): kQVErrParam for an
// ID that names no format.
QVStatus LUT3DExportCommand(uint32_t commandID, const VL_SettingsStruct* settings);

// The writers by format. .3dl flavours: 1 "Lustre", 2 "Flame", 3 "Smoke",
// 4 "Autodesk", 5 "Autodesk Pre-3.0", 6 "HDLinkPro", 7 "Autodesk"; any
// other flavour is taken as 4.
QVStatus WriteAcademyLUT(const VL_SettingsStruct* settings, const QVFileRef* folder, const std::string& name,
                         int32_t divisions, int32_t inputBits, int32_t outputBits, QVFileRef* result);
QVStatus Write3dlLUT(const VL_SettingsStruct* settings, const QVFileRef* folder, const std::string& name,
                     int32_t divisions, int32_t inputBits, int32_t outputBits, int32_t flavour, QVFileRef* result);
QVStatus WriteCinetalLUT(const VL_SettingsStruct* settings, const QVFileRef* folder, const std::string& name,
                         int32_t divisions, QVFileRef* result);
QVStatus WritePogleLUT(const VL_SettingsStruct* settings, const QVFileRef* folder, const std::string& name,
                       int32_t divisions, QVFileRef* result);
QVStatus WriteLUTherLUT(const VL_SettingsStruct* settings, const QVFileRef* folder, const std::string& name,
                        int32_t divisions, QVFileRef* result);
QVStatus WritePanavisionGDPLUT(const VL_SettingsStruct* settings, const QVFileRef* folder, const std::string& name,
                               int32_t divisions, QVFileRef* result);
QVStatus WriteScratchLUT(const VL_SettingsStruct* settings, const QVFileRef* folder, const std::string& name,
                         int32_t divisions, QVFileRef* result);
QVStatus WriteTruelightCube(const VL_SettingsStruct* settings, const QVFileRef* folder, const std::string& name,
                            int32_t divisions, QVFileRef* result);

// The .3dl flavour's name ("Autodesk" for one outside 1 to 7).
const char* LUT3DFlavourName(int32_t flavour);
