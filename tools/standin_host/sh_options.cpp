#include "tools/standin_host/sh_options.h"

#include <cmath>
#include <cstring>
#include <string_view>

#include "platform/host/host_signatures.h"
#include "tools/standin_host/sh_numbers.h"

namespace {

constexpr const char* kVersion = "3.0.14";

// What each layout is, for the help text, in the layout table's order.
const char* const kLayoutNotes[kSHLayoutCount] = {
    "8-bit A, R, G, B",
    "16-bit A, R, G, B to 32768 (default)",
    "float A, R, G, B",
    "8-bit B, G, R, A",
    "float B, G, R, A (default for PPro)",
    "8-bit Cr, Cb, Y, A, video range",
    "float Cr, Cb, Y, A",
    "float A, R, G, B in the PPro format",
};

struct OptionInfo {
  const char* name;
  bool takes_value;
};

const OptionInfo kOptions[] = {
    {"--plugin", true},  {"--host", true},        {"--layout", true},  {"--bits", true},
    {"--project", true}, {"--save-project", true}, {"--set", true},     {"--threads", true},
    {"--classic", false}, {"--out", true},         {"--make-clip", true}, {"--list-params", false},
    {"--help", false},   {"-h", false},            {"--version", false}, {"--full-interface", false},
    {"--frame", true},   {"--panel", true},
};

const OptionInfo* FindOption(std::string_view name) {
  for (const OptionInfo& s : kOptions)
    if (name == s.name) return &s;
  return nullptr;
}

bool apply(std::string_view name, const char* v, SHOptions* o, std::string* error) {
  const std::string value = v ? v : "";
  auto refuse = [&](const std::string& what) {
    *error = std::string(name) + " " + value + ": " + what;
    return false;
  };
  if (name == "--plugin") {
    o->plugin = value;
  } else if (name == "--host") {
    if (value.size() != 4) return refuse("a host code has four characters, such as FXTC or PPro");
    o->signature = QVFourCC({value[0], value[1], value[2], value[3], 0});
  } else if (name == "--layout") {
    if (!SHFindLayout(value.c_str(), &o->layout)) return refuse("no such layout (see --help)");
    o->layout_given = true;
  } else if (name == "--bits") {
    if (!SHParseInt(value, &o->bits) || (o->bits != 8 && o->bits != 16)) return refuse("the depth is 8 or 16");
  } else if (name == "--project") {
    o->project = value;
  } else if (name == "--save-project") {
    o->save_project = value;
  } else if (name == "--set") {
    size_t eq = value.find('=');
    int32_t id = 0;
    double number = 0;
    if (eq == std::string::npos) return refuse("takes ID=VALUE, such as 6=140");
    if (!SHParseInt(std::string_view(value).substr(0, eq), &id)) return refuse("the parameter id is a whole number");
    if (!SHParseNumber(std::string_view(value).substr(eq + 1), &number)) return refuse("the value is not a number");
    if (!std::isfinite(number)) return refuse("the value must be a finite number");
    o->sets.emplace_back(id, number);
  } else if (name == "--threads") {
    if (!SHParseInt(value, &o->threads) || o->threads < 1 || o->threads > 64)
      return refuse("the thread count is a whole number from 1 to 64");
  } else if (name == "--classic") {
    o->smart = false;
  } else if (name == "--out") {
    if (value.empty()) return refuse("the output folder needs a name");
    o->out_dir = value;
  } else if (name == "--make-clip") {
    o->make_clip = value;
    if (o->action == kSHActionRender) o->action = kSHActionMakeClip;
  } else if (name == "--full-interface") {
    o->full_interface = true;
  } else if (name == "--panel") {
    if (value.empty()) return refuse("the panel script needs a name");
    o->panel_script = value;
  } else if (name == "--frame") {
    if (!SHParseInt(value, &o->frame) || o->frame < 1) return refuse("the frame is a whole number from 1");
  } else if (name == "--list-params") {
    if (o->action == kSHActionRender) o->action = kSHActionListParams;
  }
  return true;
}

}  // namespace

bool SHParseOptions(int argc, char** argv, SHOptions* o, std::string* error) {
  for (int i = 1; i < argc; ++i) {
    std::string_view a = argv[i];
    if (a == "--help" || a == "-h") {
      o->action = kSHActionHelp;
      return true;
    }
    if (a == "--version") {
      o->action = kSHActionVersion;
      return true;
    }
  }
  bool onlyFrames = false;
  for (int i = 1; i < argc; ++i) {
    std::string_view a = argv[i];
    if (onlyFrames || a.empty() || a[0] != '-' || a == "-") {
      o->inputs.emplace_back(a);
      continue;
    }
    if (a == "--") {
      onlyFrames = true;
      continue;
    }
    // --name=value is read as --name value.
    std::string_view name = a;
    const char* value = nullptr;
    size_t eq = a.find('=');
    if (a.substr(0, 2) == "--" && eq != std::string_view::npos) {
      name = a.substr(0, eq);
      value = argv[i] + eq + 1;
    }
    const OptionInfo* info = FindOption(name);
    if (!info) return *error = "unknown option " + std::string(a), false;
    if (info->takes_value && !value) {
      if (i + 1 >= argc) return *error = std::string(name) + " needs a value", false;
      value = argv[++i];
    } else if (!info->takes_value && value) {
      return *error = std::string(name) + " takes no value", false;
    }
    if (!apply(name, value, o, error)) return false;
  }
  if (o->action == kSHActionMakeClip && !o->inputs.empty())
    return *error = "--make-clip takes no input frames", false;
  return true;
}

void SHPrintVersion(FILE* out) { std::fprintf(out, "velmora-host %s\n", kVersion); }

void SHPrintHelp(FILE* out) {
  std::fputs(
      "usage: velmora-host [OPTIONS] [IN.png...]\n"
      "       velmora-host --list-params [--host CODE] [--plugin PATH]\n"
      "       velmora-host --make-clip DIR\n"
      "\n"
      "Renders PNG frames through the Velmora effect plug-in as a video host does\n"
      "and writes each corrected frame, under its own file name, into the output\n"
      "folder. With no frames given it renders the bundled clip with the bundled\n"
      "correction; --project and --set adjust that correction.\n"
      "\n"
      "Every input is checked first: the good ones are rendered and the bad ones\n"
      "reported. An output that would replace an input, or two inputs with one\n"
      "file name, is refused before anything is written. Progress (frames done of\n"
      "total) is shown on a terminal.\n"
      "\n"
      "Options:\n"
      "  --out DIR            folder for the corrected frames (default: out), made\n"
      "                       when frames are written\n"
      "  --project FILE       apply a velmora-host project file: parameter values,\n"
      "                       keyframes, the correction and the sequence data\n"
      "  --save-project FILE  save the effect's state as a project after rendering\n"
      "  --set ID=VALUE       set parameter ID to VALUE as a user edit, after the\n"
      "                       project (repeatable); the value must lie in the\n"
      "                       parameter's range\n"
      "  --list-params        list every parameter: id, name, range and default\n"
      "  --full-interface     before rendering, open the grading application on a\n"
      "                       frame (the frames given, or the bundled clip, are the\n"
      "                       clip it sees); the correction it returns on OK is\n"
      "                       saved as a project (--save-project, default\n"
      "                       OUT/correction.vlhp) and the frames are rendered with it\n"
      "  --frame N            the frame the grading application and the panel open\n"
      "                       on (default 1)\n"
      "  --panel SCRIPT       before rendering, run a script on the effect's panel,\n"
      "                       one command a line: click ID X Y [MODS], drag X Y\n"
      "                       [MODS], release X Y [MODS], move ID X Y [MODS],\n"
      "                       key ID CHAR [MODS], png FILE (the panel's picture);\n"
      "                       ID is the parameter (1 buttons, 118 automatic\n"
      "                       buttons, 45 hue wheels, 104 curves), X and Y within\n"
      "                       its area, MODS command+shift+option+control\n"
      "  --threads N          frames read, rendered and written at once, 1 to 64\n"
      "                       (default: one per processor); the frames in flight\n"
      "                       stay within a fixed memory budget\n"
      "  --classic            render with the classic render command; without it\n"
      "                       the host uses smart render whenever the effect offers it\n"
      "  --bits 8|16          depth of the written PNG files (default: the input's)\n"
      "  --host CODE          the host signature the effect sees (default FXTC):\n"
      "                         FXTC    ARGB layouts through the world suite\n"
      "                         PPro    the host's own pixel formats (pixel-format suite)\n"
      "                         'ame '  a host the effect knows, with ARGB layouts\n"
      "                       FXTc, FXsl and aplt are read as FXTC and PPhl as PPro;\n"
      "                       the effect warns any other host that the wrong build\n"
      "                       of the plug-in is installed\n"
      "  --layout NAME        the pixel layout frames are rendered in, and the\n"
      "                       hosts that render in it:\n",
      out);
  for (int32_t i = 0; i < kSHLayoutCount; ++i) {
    const SHLayoutInfo& info = SHGetLayoutInfo(SHLayout(i));
    const char* hosts = info.world && info.premiere ? "any" : info.world ? "FXTC" : "PPro";
    std::fprintf(out, "                         %-7s %-5s %s\n", info.name, hosts, kLayoutNotes[i]);
  }
  std::fputs(
      "  --plugin PATH        the effect module to load (default: the one built)\n"
      "  --make-clip DIR      write a six-frame test clip into DIR and stop\n"
      "  --help               this text\n"
      "  --version            the program's version\n"
      "\n"
      "Exit status: 0 when every frame was written, 1 when a frame, the effect or\n"
      "a file failed, 2 for a wrong command line, 130 when interrupted.\n"
      "Environment: VELMORA_LOG names a file for alerts and the diagnostic log\n"
      "(standard error otherwise); VELMORA_DEBUG_LOG set keeps the effect's\n"
      "diagnostic lines, its version line among them; VELMORA_UI_PROGRAM names the\n"
      "grading application to start (default: the one built).\n",
      out);
}
