// The surface definitions file, "Velmora 3 Knobwell Settings.vlws" in the
// user's preferences folder: every page header and control definition as
// XML, in UTF-8.
//
//   <?xml version="1.0" encoding="UTF-8"?>
//   <!-- File Type: Knobwell KB-1 Control Surface Definitions   -->
//   <!-- Creator:   Quorvane Velmora   -->
//   <!-- Date:      Fri, Dec 11, 2026     -->
//   <knobwellsettings>
//   	<page>
//   		<pageindex>1</pageindex>
//   		<pageactive>TRUE</pageactive>
//   		<display>
//   			<leftline1>Primary</leftline1>   (leftline2, rightline1, rightline2)
//   			<trackball1color>red</trackball1color>   (trackball2color ... 4)
//   		</display>
//   		<pagecontrols>
//   			<control>
//   				<controlid>trackball1_horiz</controlid>
//   				<action>adjust_slider</action>
//   				<targetcontrol>rgb_master_r_gain</targetcontrol>   (only when set)
//   				<target1>rgb_master_r_gain</target1>             (only when set)
//   				<target2>...</target2>                            (only when set)
//   				<scalex>1.000000</scalex>                          (only when not 0)
//   				<scaley>...</scaley>                               (only when not 0)
//   				<updateleds>FALSE</updateleds>
//   			</control>
//   		</pagecontrols>
//   	</page>
//   	... pages 2 to 7
//   </knobwellsettings>
//
// Every line ends with a line feed; nesting is one tab per level. Numbers
// are written and read in the C locale ("%f"), whatever the user's locale.
// A control's placeholder entries (action 0) are not written.
#pragma once

#include <cstdint>
#include <cstdio>

#include "app/surfaces/surface_definitions.h"
#include "platform/status.h"

constexpr const char* kSurfaceDefinitionsFileName = "Velmora 3 Knobwell Settings.vlws";

// Writes every page to the file at path (type 'VLws', creator 'QVc3'); the
// old file stays whole until the new one is complete. 0, or the status of
// the first failure (nothing is then written). name is the file's name for
// messages and may be null.
QVStatus SurfaceWriteDefinitions(const char* path, const char* name);
// The whole file's text to a stream, with the date text given.
QVStatus SurfaceWriteDefinitionsTo(FILE* stream, const char* dateText);
// The control elements of one page: every one of the count entries whose
// action is not 0; nothing for a count below 1.
QVStatus SurfaceWriteControlDefinition(FILE* stream, const SurfaceControlDefinition* first, int32_t count);

// Reads the file into the page headers and control tables. Always 0; a file
// that is missing, unreadable, not XML, with another root element or no
// page leaves every table as it was. Pages and entries the file does not
// mention keep what they held; pages outside 1 to 7 and controls beyond 70
// are skipped.
QVStatus SurfaceReadDefinitions(const char* path);
// The same from bytes in memory; true when the bytes held definitions.
bool SurfaceReadDefinitionsFromBytes(const char* bytes, size_t length);
