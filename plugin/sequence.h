// Sequence data life cycle (setup, re-setup, flatten, set-down), the
// settings transfer from outside and the smart pre-render input request.
#pragma once

#include "platform/host/host_interface.h"
#include "plugin/plugin_data.h"

HIError VLSequenceSetup(const HIInData* in, HIOutData* out);
HIError VLSequenceResetup(HIInData* in, HIOutData* out, HIParamDef* const params[], const VLGlobalData* globals);
HIError VLSequenceFlatten(HIInData* in, HIOutData* out);
HIError VLSequenceSetdown(HIInData* in, HIOutData* out);
HIError VLSettingsTransfer(const HIInData* in, HIParamDef* const params[], const VLGlobalData* globals,
                           HISettingsRequest* request);
HIError VLSmartPreRender(const HIInData* in, HIPreRenderExtra* extra);

// The settings copy of a live sequence, or null when the handle word does not
// name a copy this plug-in made and still holds.
HIHandle VLSequenceSettingsCopy(const VLSeqData* seq);
