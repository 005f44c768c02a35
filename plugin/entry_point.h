// The plug-in's exported entry point, for programs that link the plug-in's
// library directly (its tests) instead of loading the module.
#pragma once

#include "platform/host/host_interface.h"

extern "C" HIError EntryPointFunc(HICommand command, HIInData* in, HIOutData* out, HIParamDef* params[],
                                  HIWorld* output, void* extra);
