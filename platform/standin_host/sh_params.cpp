// The effect's parameters as the host keeps them: static values, keyframes
// and interpolation between them, arbitrary data through the effect's
// callbacks, and user edits the effect supervises.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "platform/standin_host/sh_call.h"

int32_t SHIndexOfId(const SHHost* host, int32_t id) {
  for (size_t i = 1; i < host->params.size(); ++i) {
    if (host->params[i].def.uu_id == id) return int32_t(i);
  }
  return -1;
}

void SHStoreValue(HIParamDef* d, double v) {
  if (d->param_type == kHIParamFloatSlider) d->u.fs.value = v;
  if (d->param_type == kHIParamCheckbox) d->u.cb.value = int32_t(v);
  if (d->param_type == kHIParamPopup) d->u.pd.value = int32_t(v);
}

double SHLoadValue(const HIParamDef& d) {
  if (d.param_type == kHIParamFloatSlider) return d.u.fs.value;
  if (d.param_type == kHIParamCheckbox) return d.u.cb.value;
  if (d.param_type == kHIParamPopup) return d.u.pd.value;
  return 0;
}

namespace {

// The first keyframe at or after a time. Keys are in time order; a project
// lists them in order, so most look-ups land at the end.
std::vector<SHKeyframe>::iterator firstKeyFrom(std::vector<SHKeyframe>& keys, int32_t time) {
  if (keys.empty() || keys.back().time < time) return keys.end();
  return std::lower_bound(keys.begin(), keys.end(), time,
                          [](const SHKeyframe& k, int32_t t) { return k.time < t; });
}

// The keyframe at a time, added when there is none.
SHKeyframe& keyframeAt(std::vector<SHKeyframe>& keys, int32_t time) {
  auto it = firstKeyFrom(keys, time);
  if (it == keys.end() || it->time != time) {
    it = keys.insert(it, SHKeyframe{});
    it->time = time;
  }
  return *it;
}

// The index of the keyframe after a time strictly inside the keys' span.
size_t keyAfter(const std::vector<SHKeyframe>& keys, int32_t time) {
  auto it = std::lower_bound(keys.begin(), keys.end(), time,
                             [](const SHKeyframe& k, int32_t t) { return k.time < t; });
  return size_t(it - keys.begin());
}

}  // namespace

void SHSetKeyframe(SHHost* host, int32_t index, int32_t time, double value) {
  std::lock_guard<std::recursive_mutex> lock(host->params_lock);
  if (index <= 0 || size_t(index) >= host->params.size()) return;
  keyframeAt(host->params[size_t(index)].keys, time).value = value;
}

void SHSetArbKeyframe(SHHost* host, int32_t index, int32_t time, HIHandle value) {
  std::lock_guard<std::recursive_mutex> lock(host->params_lock);
  if (index <= 0 || size_t(index) >= host->params.size()) return;
  SHKeyframe& key = keyframeAt(host->params[size_t(index)].keys, time);
  HIDisposeHandle(key.arb);
  key.arb = SHCopyHandle(value);
}

void SHSetArbValue(SHHost* host, int32_t index, HIHandle value) {
  std::lock_guard<std::recursive_mutex> lock(host->params_lock);
  if (index <= 0 || size_t(index) >= host->params.size()) {
    HIDisposeHandle(value);
    return;
  }
  HIParamDef& d = host->params[size_t(index)].def;
  HIDisposeHandle(d.u.arb.value);
  d.u.arb.value = value;
}

double SHValueAt(const SHHost* host, int32_t index, int32_t time) {
  std::lock_guard<std::recursive_mutex> lock(const_cast<SHHost*>(host)->params_lock);
  if (index <= 0 || size_t(index) >= host->params.size()) return 0;
  const SHParam& p = host->params[size_t(index)];
  if (p.keys.empty()) return SHLoadValue(p.def);
  if (time <= p.keys.front().time) return p.keys.front().value;
  if (time >= p.keys.back().time) return p.keys.back().value;
  size_t i = keyAfter(p.keys, time);
  const SHKeyframe& a = p.keys[i - 1];
  const SHKeyframe& b = p.keys[i];
  if (p.def.param_type != kHIParamFloatSlider) return a.value;  // checkboxes and pop-ups hold
  double t = double(time - a.time) / double(b.time - a.time);
  return a.value + (b.value - a.value) * t;
}

HIError SHArbValueAt(SHHost* host, int32_t index, int32_t time, HIHandle* value) {
  *value = nullptr;
  HIHandle left = nullptr, right = nullptr;
  double fraction = 0;
  {
    std::lock_guard<std::recursive_mutex> lock(host->params_lock);
    if (index <= 0 || size_t(index) >= host->params.size()) return kHIErrBadCallbackParam;
    const SHParam& p = host->params[size_t(index)];
    if (p.keys.empty()) {
      *value = SHCopyHandle(p.def.u.arb.value);
      return *value || !p.def.u.arb.value ? kHINoErr : kHIErrOutOfMemory;
    }
    if (time <= p.keys.front().time || time >= p.keys.back().time) {
      *value = SHCopyHandle(time <= p.keys.front().time ? p.keys.front().arb : p.keys.back().arb);
      return *value ? kHINoErr : kHIErrOutOfMemory;
    }
    size_t i = keyAfter(p.keys, time);
    left = SHCopyHandle(p.keys[i - 1].arb);
    right = SHCopyHandle(p.keys[i].arb);
    fraction = double(time - p.keys[i - 1].time) / double(p.keys[i].time - p.keys[i - 1].time);
  }
  HIArbitraryExtra extra{};
  extra.which = kHIArbInterpolate;
  extra.u.interpolate.left = left;
  extra.u.interpolate.right = right;
  extra.u.interpolate.fraction = fraction;
  extra.u.interpolate.result = value;
  HIError err = SHArbCallback(host, index, &extra);
  HIDisposeHandle(left);
  HIDisposeHandle(right);
  return err;
}

HIError SHArbCallback(SHHost* host, int32_t index, HIArbitraryExtra* extra) {
  {
    std::lock_guard<std::recursive_mutex> lock(host->params_lock);
    if (index <= 0 || size_t(index) >= host->params.size() ||
        host->params[size_t(index)].def.param_type != kHIParamArbitraryData)
      return kHIErrBadCallbackParam;
    extra->id = host->params[size_t(index)].def.u.arb.id;
  }
  SHCall call;
  call.host = host;
  return SHDispatch(host, &call, kHICmdArbitraryCallback, extra, nullptr);
}

HIError SHUserSetValue(SHHost* host, int32_t index, double value, int32_t time) {
  bool supervised;
  {
    std::lock_guard<std::recursive_mutex> lock(host->params_lock);
    if (index <= 0 || size_t(index) >= host->params.size()) return kHIErrBadCallbackParam;
    SHParam& p = host->params[size_t(index)];
    if (p.keys.empty()) {
      SHStoreValue(&p.def, value);
    } else {
      SHSetKeyframe(host, index, time, value);
    }
    supervised = (p.def.flags & kHIParamFlagSupervise) != 0;
  }
  if (!supervised) return kHINoErr;
  SHCall call;
  call.host = host;
  call.time = time;
  HIError err = SHPrepareParams(host, &call, true);
  if (err) return err;
  HIUserChangedParamExtra extra{index};
  err = SHDispatch(host, &call, kHICmdUserChangedParam, &extra, nullptr);
  SHTakeBackChangedValues(host, call, time);
  return err;
}

void SHTakeBackChangedValues(SHHost* host, const SHCall& call, int32_t time) {
  SHTakeBackArbValues(host, call);
  std::lock_guard<std::recursive_mutex> lock(host->params_lock);
  for (size_t i = 1; i < call.defs.size() && i < host->params.size(); ++i) {
    const HIParamDef& d = call.defs[i];
    SHParam& p = host->params[i];
    if (d.param_type == kHIParamArbitraryData) continue;
    if (!(d.change_flags & kHIChangeFlagChangedValue)) continue;
    if (p.keys.empty()) {
      SHStoreValue(&p.def, SHLoadValue(d));
    } else {
      SHSetKeyframe(host, int32_t(i), time, SHLoadValue(d));
    }
  }
}

std::string SHValueRange(const SHParam& param) {
  const HIParamDef& d = param.def;
  char text[80] = "";
  if (d.param_type == kHIParamFloatSlider) {
    std::snprintf(text, sizeof text, "%g to %g", double(d.u.fs.valid_min), double(d.u.fs.valid_max));
  } else if (d.param_type == kHIParamCheckbox) {
    std::snprintf(text, sizeof text, "0 or 1");
  } else if (d.param_type == kHIParamPopup) {
    std::snprintf(text, sizeof text, "1 to %d", int(d.u.pd.num_choices));
  }
  return text;
}

bool SHCheckValue(const SHHost* host, int32_t index, double value, std::string* error) {
  std::lock_guard<std::recursive_mutex> lock(const_cast<SHHost*>(host)->params_lock);
  if (index <= 0 || size_t(index) >= host->params.size()) {
    *error = "no such parameter";
    return false;
  }
  const SHParam& p = host->params[size_t(index)];
  const HIParamDef& d = p.def;
  const std::string range = SHValueRange(p);
  bool fits = false;
  if (d.param_type == kHIParamFloatSlider) {
    fits = std::isfinite(value) && value >= d.u.fs.valid_min && value <= d.u.fs.valid_max;
  } else if (d.param_type == kHIParamCheckbox) {
    fits = value == 0 || value == 1;
  } else if (d.param_type == kHIParamPopup) {
    fits = value >= 1 && value <= d.u.pd.num_choices && value == std::floor(value);
  }
  if (fits) return true;
  char number[40];
  std::snprintf(number, sizeof number, "%.17g", value);
  const std::string name(d.name, strnlen(d.name, sizeof d.name));
  *error = "parameter " + std::to_string(d.uu_id) + " (" + name + ") " +
           (range.empty() ? std::string("takes no number") : "takes " + range + ", not " + number);
  return false;
}
