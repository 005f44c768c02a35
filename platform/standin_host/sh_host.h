// The stand-in host: loads an effect plug-in with dlopen and plays a host's
// part for every command. It keeps the effect's parameters with their
// keyframes, the global and sequence data, offers the suites a host offers
// for the chosen signature, and renders frames classically or through smart
// render, from one thread or several at once.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/host/host_interface.h"
#include "platform/host/host_signatures.h"
#include "platform/standin_host/sh_layouts.h"

struct SHConfig {
  uint32_t signature = kHIHostAfterEffects;
  int32_t version_major = 13;       // the host's interface version
  int32_t version_minor = 28;
  bool offer_handle_callbacks = true;
  bool offer_world_suite = true;
  bool offer_pixel_format_suite = false;  // set for Premiere-style hosts by SHConfigForSignature
  bool offer_aegp_suites = true;          // utility and memory suites
  bool offer_pf_utility_suite = true;
  bool suppress_interactive_ui = false;
  bool offer_drawing_suites = true;       // the custom-interface and drawing suites of the panel
  uint64_t max_allocation = UINT64_MAX;  // larger requests for host memory fail
  int32_t time_scale = 2400;
  int32_t time_step = 100;  // 24 frames per second
  int32_t clip_frames = 1000;  // the clip's duration in time steps
};

// What a typical host with that signature offers.
SHConfig SHConfigForSignature(uint32_t signature);

struct SHKeyframe {
  int32_t time = 0;
  double value = 0;        // sliders, checkboxes, pop-ups
  HIHandle arb = nullptr;  // arbitrary data (owned by the host)
};

struct SHParam {
  HIParamDef def{};                 // as the plug-in defined it; holds the static value
  std::vector<SHKeyframe> keys;     // in time order; empty: the value does not vary
  std::string popup_names;          // copies of the plug-in's strings
  std::string checkbox_label;
};

struct SHHost {
  SHConfig config;
  void* library = nullptr;
  HIEntryPoint entry = nullptr;
  HIUtilityCallbacks utils{};
  HIHandle global_data = nullptr;
  HIHandle sequence_data = nullptr;
  std::vector<SHParam> params;        // index order; index 0 is the input layer
  uint32_t out_flags = 0;
  uint32_t out_flags2 = 0;
  uint32_t plugin_version = 0;
  int32_t aegp_plugin_id = 0;
  std::vector<uint32_t> supported_formats;  // what the plug-in asked a Premiere-style host for
  bool custom_ui_registered = false;
  bool renders_checkouts_in_render_format = false;
  std::string return_message;
  std::vector<int32_t> commands_run;  // host commands the effect asked for, in order
  // The clip the effect sits on, for layer checkouts outside a render (the
  // Full Interface asks for frames at other times): the frame at a time, or
  // null for none. Empty: no frames outside a render.
  std::function<const SHFrame*(int32_t time)> clip_frame;
  // Set when the user asks the host to stop (an interrupt): the effect's
  // abort callback reports it. Null: never.
  const std::atomic<bool>* interrupt = nullptr;
  std::mutex state_lock;  // guards the fields above that commands update
  std::recursive_mutex params_lock;  // guards params against concurrent renders and edits
};

// Loading. SHLoadPlugin returns false with a message on failure.
bool SHLoadPlugin(SHHost* host, const std::string& path, std::string* error);
void SHUnloadPlugin(SHHost* host);
// Drives an entry point linked into the program instead of a loaded module.
void SHAttachEntryPoint(SHHost* host, HIEntryPoint entry);

// One command with the host's current state; the plug-in's result is returned.
// params may be null (the host's current values are passed).
HIError SHSendCommand(SHHost* host, HICommand command, void* extra = nullptr);

// The life cycle a host runs: global setup, parameter setup, sequence setup.
HIError SHStartEffect(SHHost* host);
// Sequence set-down and global set-down.
HIError SHStopEffect(SHHost* host);

// Parameters by identifier (the index the plug-in gave that identifier, or -1).
int32_t SHIndexOfId(const SHHost* host, int32_t id);
// Sets a value (static, or a keyframe at time when the parameter has keys) and
// tells the plug-in, as a user edit does, when the parameter is supervised.
HIError SHUserSetValue(SHHost* host, int32_t index, double value, int32_t time = 0);
// Adds or replaces a keyframe.
void SHSetKeyframe(SHHost* host, int32_t index, int32_t time, double value);
// Adds or replaces an arbitrary-data keyframe (the host takes a copy).
void SHSetArbKeyframe(SHHost* host, int32_t index, int32_t time, HIHandle value);
// The slider, checkbox or pop-up value at a time.
double SHValueAt(const SHHost* host, int32_t index, int32_t time);
// The arbitrary-data value at a time, a new handle the caller disposes
// (through the plug-in's interpolation between keyframes).
HIError SHArbValueAt(SHHost* host, int32_t index, int32_t time, HIHandle* value);
// Replaces the static value of an arbitrary-data parameter (the host takes the handle).
void SHSetArbValue(SHHost* host, int32_t index, HIHandle value);

// The values a parameter takes, as a person reads them: "-180 to 180" for a
// slider, "0 or 1" for a checkbox, "1 to 4" for a pop-up; empty for a
// parameter that takes no number.
std::string SHValueRange(const SHParam& param);
// True when the value suits the parameter: a finite number within a slider's
// valid range, 0 or 1 for a checkbox, a choice's number for a pop-up.
// Otherwise false, with a message naming the parameter and its range.
bool SHCheckValue(const SHHost* host, int32_t index, double value, std::string* error);

// The user clicks the Full button of the effect's panel at a time: the
// effect runs its exchange with the grading application before this returns.
HIError SHClickFullInterface(SHHost* host, int32_t time);

// Arbitrary-data callbacks for a parameter.
HIError SHArbCallback(SHHost* host, int32_t index, HIArbitraryExtra* extra);

// Renders the input into the output at a time; smart render when the plug-in
// and the host configuration allow it and smart is true.
HIError SHRender(SHHost* host, const SHFrame& input, SHFrame* output, int32_t time, bool smart);
// Renders inputs[i] into outputs[i] on `threads` threads at once.
HIError SHRenderConcurrently(SHHost* host, const std::vector<SHFrame>& inputs,
                             std::vector<SHFrame>* outputs, int32_t time, bool smart, int32_t threads);

// Host handle helpers.
HIHandle SHCopyHandle(HIHandle source);
std::vector<uint8_t> SHHandleBytes(HIHandle handle);
HIHandle SHHandleFromBytes(const void* data, size_t size);
