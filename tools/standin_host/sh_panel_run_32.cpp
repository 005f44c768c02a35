// The 32-bit stand-in host has no panel to play a script on.
#include "tools/standin_host/sh_panel_run.h"

bool SHRunPanelScriptFile(SHHost*, const std::vector<SHBatchFrame>&, size_t, SHLayout, const std::string& script,
                          std::string* error) {
  *error = script + ": the 32-bit host has no effect panel to play a script on";
  return false;
}
