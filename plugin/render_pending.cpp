// Stands in for render.cpp while the engine's image pipeline is not part of
// the build: renders answer that the service is not available.
#include "plugin/render.h"

void CheckProcessingTableValidity(const HIInData*, HIHandle, VL_SettingsStruct*, VLGlobalData*) {}

HIError Render(const HIInData*, HIOutData*, HIParamDef*[], HIWorld*) { return kHIErrInvalidCallback; }

HIError SmartRender(const HIInData*, HIOutData*, HISmartRenderExtra*) { return kHIErrInvalidCallback; }
