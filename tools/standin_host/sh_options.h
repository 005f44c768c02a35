// velmora-host's command line: the options, their parsing (every number read
// whole) and the help text.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "platform/standin_host/sh_layouts.h"

enum SHAction : int32_t {
  kSHActionRender,      // render the given frames, or the bundled clip
  kSHActionHelp,
  kSHActionVersion,
  kSHActionListParams,  // list every parameter of the effect
  kSHActionMakeClip,    // write a test clip and stop
};

struct SHOptions {
  SHAction action = kSHActionRender;
  std::string plugin;
  uint32_t signature = 0;
  SHLayout layout = kSHLayoutARGB16;
  bool layout_given = false;
  int32_t bits = 0;     // 0: each frame at its input's depth
  std::string project;
  std::string save_project;
  std::vector<std::pair<int32_t, double>> sets;  // parameter id, value
  int32_t threads = 0;  // 0: one per processor
  bool smart = true;
  std::string out_dir = "out";
  std::string make_clip;
  std::vector<std::string> inputs;
  bool full_interface = false;  // open the grading application before rendering
  int32_t frame = 1;            // the frame (1-based) it and the panel open on
  std::string panel_script;     // a script run on the effect's panel before rendering
};

// False with a message when the command line is wrong. --help and --version
// win over everything else on the line.
bool SHParseOptions(int argc, char** argv, SHOptions* options, std::string* error);

void SHPrintHelp(FILE* out);
void SHPrintVersion(FILE* out);
