// ASC Color Decision List files: the primary correction exchanged with
// other grading systems as slope, offset and power per channel and a
// saturation.
//
// Export (per channel c of R, G, B):
//   slope c  = HSL master gain x RGB master gain x RGB master c gain
//   offset c = HSL master pedestal + RGB master pedestal + RGB master c pedestal
//   power c  = 1 / (HSL master gamma x RGB master gamma x RGB master c gamma)
//              (a gamma at or below zero counts as 1, as in the engine)
//   saturation = HSL master saturation x 0.01
// Import: RGB master c gain = slope c, pedestal = offset c, gamma =
// 1 / power c, HSL master saturation = saturation x 100; the HSL master and
// the RGB overall gain, gamma and pedestal stay as they are.
//
// The file written (tabs indent, lines end in "\n"):
//   <!-- Creator: Quorvane Velmora v3.0.14(309)   -->
//   <!-- Date:    10 Dec 2026 14:05         -->
//   <ColorDecisionList xmlns="urn:ASC:CDL:v1.01">
//   	<ColorDecision>
//   		<MediaRef ref="/clips/a.mov"/>                  (only with a media path)
//   		<ColorCorrection ref="urn:QuorvaneVL:cdl:cc00000100">
//   			<SOPNode>
//   				<Description>name.cdl</Description>
//   				<Slope>1.0000 1.0000 1.0000</Slope>
//   				<Offset>0.0000 0.0000 0.0000</Offset>
//   				<Power>1.0000 1.0000 1.0000</Power>
//   			</SOPNode>
//   			<SatNode>
//   				<Saturation>1.000000</Saturation>
//   			</SatNode>
//   		</ColorCorrection>
//   	</ColorDecision>
//   </ColorDecisionList>
#pragma once

#include <string>

#include "core/settings_record.h"
#include "platform/file_ref.h"
#include "platform/status.h"

// The file kind of written CDL files.
constexpr uint32_t kASCCDLFileType = 0x566C6173;  // 'VLas'
constexpr uint32_t kASCCDLCreator = 0x51566333;   // 'QVc3'

struct ASCCDLValues {
  float slope[3];
  float offset[3];
  float power[3];
  float saturation;
};

// The record's primary correction as CDL values.
void ASCCDLFromSettings(const VL_SettingsStruct* settings, ASCCDLValues* values);

// Writes the record as a CDL file called name in the folder, with the
// ColorCorrection numbered by the "CDL ID" preference (which then counts
// on), and a MediaRef when mediaPath is given. The file appears whole or
// not at all: 0, or the status of the failed write.
QVStatus WriteASCCDL(const VL_SettingsStruct* settings, const QVFileRef* folder, const std::string& name,
                     const char* mediaPath = nullptr);
// Asks for the file ("Save ASC CDL") and writes it: the panel's status
// (kQVErrCancelled: nothing written), else the writer's; a failed write is
// said in an alert naming the file and the reason.
QVStatus SaveASCCDL(const VL_SettingsStruct* settings, const char* mediaPath = nullptr);

// Reads the first ColorCorrection of a CDL file into the record. Element
// names match in any case and any namespace. Slope, Offset and Power are
// each taken only when they hold three finite numbers (and nothing else)
// within the controls' ranges, Power only above zero; Saturation the same.
// Taking an element switches the RGB master (and for Saturation the HSL
// master) on. A file that cannot be read, lacks an element of the path
// ColorDecisionList / ColorCorrection / SOPNode or has nothing usable
// shows the alert "Invalid CDL - <reason>" and changes nothing:
// kQVErrParam. 0 when the record took the values.
QVStatus ReadASCCDL(VL_SettingsStruct* settings, const QVFileRef* file);
// Asks for a .cdl file ("Load ASC CDL") and reads it; the chosen file in
// *chosen when the read succeeded and chosen is given.
QVStatus LoadASCCDL(VL_SettingsStruct* settings, QVFileRef* chosen = nullptr);
