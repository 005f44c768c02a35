// The stand-in host's project file: the effect's parameter values and
// keyframes, the flattened arbitrary data and the flattened sequence data,
// one item a line:
//
//   velmora-host project 1
//   value <id> <number>             static value of a slider, checkbox or pop-up
//   key <id> <time> <number>        a keyframe
//   arb <id> <hex bytes>            flattened static arbitrary data
//   arbkey <id> <time> <hex bytes>  flattened arbitrary-data keyframe
//   sequence <hex bytes>            flattened sequence data
//   set <id> <number>               a user edit: the value is set and the effect told
//
// Lines starting with '#' and blank lines are ignored. Identifiers are the
// effect's fixed parameter identifiers.
#pragma once

#include <string>

#include "platform/standin_host/sh_host.h"

// Saves through a temporary file and a rename. Flattening the sequence data
// is followed by a re-setup, as a host continues after saving.
bool SHSaveProject(SHHost* host, const std::string& path, std::string* error);
// Applies a project to a started effect. Stops at the first bad line and says where.
bool SHLoadProject(SHHost* host, const std::string& path, std::string* error);
