#include "tools/standin_host/sh_project.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/file_contents.h"
#include "platform/host/host_handles.h"
#include "tools/standin_host/sh_numbers.h"

namespace {

constexpr size_t kMaxLine = 4u << 20;  // the longest flattened value we accept, in hex

std::string toHex(const std::vector<uint8_t>& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string s;
  s.reserve(bytes.size() * 2);
  for (uint8_t b : bytes) {
    s.push_back(digits[b >> 4]);
    s.push_back(digits[b & 15]);
  }
  return s;
}

bool fromHex(const std::string& s, std::vector<uint8_t>* bytes) {
  if (s.size() % 2) return false;
  bytes->resize(s.size() / 2);
  for (size_t i = 0; i < bytes->size(); ++i) {
    unsigned v = 0;
    auto r = std::from_chars(s.data() + 2 * i, s.data() + 2 * i + 2, v, 16);
    if (r.ec != std::errc() || r.ptr != s.data() + 2 * i + 2) return false;
    (*bytes)[i] = uint8_t(v);
  }
  return true;
}

bool flattenArb(SHHost* host, int32_t index, HIHandle value, std::vector<uint8_t>* bytes) {
  uint32_t size = 0;
  HIArbitraryExtra extra{};
  extra.which = kHIArbFlatSize;
  extra.u.flat_size.value = value;
  extra.u.flat_size.size = &size;
  if (SHArbCallback(host, index, &extra) || size > kMaxLine / 2) return false;
  bytes->assign(size, 0);
  extra = HIArbitraryExtra{};
  extra.which = kHIArbFlatten;
  extra.u.flatten.value = value;
  extra.u.flatten.buffer_size = size;
  extra.u.flatten.buffer = bytes->data();
  return SHArbCallback(host, index, &extra) == kHINoErr;
}

HIHandle unflattenArb(SHHost* host, int32_t index, const std::vector<uint8_t>& bytes) {
  HIHandle result = nullptr;
  HIArbitraryExtra extra{};
  extra.which = kHIArbUnflatten;
  extra.u.unflatten.buffer_size = uint32_t(bytes.size());
  extra.u.unflatten.buffer = bytes.data();
  extra.u.unflatten.result = &result;
  if (SHArbCallback(host, index, &extra)) {
    HIDisposeHandle(result);
    return nullptr;
  }
  return result;
}

}  // namespace

bool SHSaveProject(SHHost* host, const std::string& path, std::string* error) {
  std::ostringstream out;
  out << "velmora-host project 1\n";
  char number[64];
  std::vector<uint8_t> bytes;
  for (size_t i = 1; i < host->params.size(); ++i) {
    const SHParam& p = host->params[i];
    int32_t id = p.def.uu_id;
    if (p.def.param_type == kHIParamArbitraryData) {
      if (!flattenArb(host, int32_t(i), p.def.u.arb.value, &bytes)) {
        *error = "cannot flatten parameter " + std::to_string(id);
        return false;
      }
      out << "arb " << id << ' ' << toHex(bytes) << '\n';
      for (const SHKeyframe& k : p.keys) {
        if (!flattenArb(host, int32_t(i), k.arb, &bytes)) {
          *error = "cannot flatten a keyframe of parameter " + std::to_string(id);
          return false;
        }
        out << "arbkey " << id << ' ' << k.time << ' ' << toHex(bytes) << '\n';
      }
    } else if (p.def.param_type == kHIParamFloatSlider || p.def.param_type == kHIParamCheckbox ||
               p.def.param_type == kHIParamPopup) {
      std::snprintf(number, sizeof number, "%.17g", SHValueAt(host, int32_t(i), 0));
      if (p.keys.empty()) out << "value " << id << ' ' << number << '\n';
      for (const SHKeyframe& k : p.keys) {
        std::snprintf(number, sizeof number, "%.17g", k.value);
        out << "key " << id << ' ' << k.time << ' ' << number << '\n';
      }
    }
  }
  if (host->sequence_data) {
    HIError err = SHSendCommand(host, kHICmdSequenceFlatten);
    bytes = SHHandleBytes(host->sequence_data);
    if (!err) err = SHSendCommand(host, kHICmdSequenceResetup);
    if (err) {
      *error = "sequence data could not be flattened";
      return false;
    }
    out << "sequence " << toHex(bytes) << '\n';
  }
  const std::string text = out.str();
  if (PLReplaceFileContents(path.c_str(), text.data(), text.size()) != kQVNoErr) {
    *error = "cannot write " + path + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

bool SHLoadProject(SHHost* host, const std::string& path, std::string* error) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    *error = path + ": is a folder, not a project file";
    return false;
  }
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    *error = path + ": " + std::strerror(errno);
    return false;
  }
  std::string line;
  int lineNumber = 0;
  auto fail = [&](const std::string& what) {
    *error = path + ":" + std::to_string(lineNumber) + ": " + what;
    return false;
  };
  while (std::getline(file, line)) {
    ++lineNumber;
    if (line.size() > kMaxLine) return fail("line too long");
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream words(line);
    std::string kind;
    words >> kind;
    if (lineNumber == 1) {
      if (line != "velmora-host project 1") return fail("not a velmora-host project");
      continue;
    }
    if (kind.empty() || kind[0] == '#') continue;
    std::vector<std::string> args;
    for (std::string w; words >> w;) args.push_back(w);
    int32_t id = 0, time = 0, index = -1;
    double value = 0;
    std::vector<uint8_t> bytes;
    if (kind == "sequence") {
      if (args.size() != 1 || !fromHex(args[0], &bytes)) return fail("bad sequence data");
      if (host->sequence_data) SHSendCommand(host, kHICmdSequenceSetdown);
      host->sequence_data = SHHandleFromBytes(bytes.data(), bytes.size());
      if (SHSendCommand(host, kHICmdSequenceResetup)) return fail("the effect refused the sequence data");
      continue;
    }
    if (args.empty() || !SHParseInt(args[0], &id) || (index = SHIndexOfId(host, id)) < 0)
      return fail("unknown parameter");
    bool isArb = host->params[size_t(index)].def.param_type == kHIParamArbitraryData;
    std::string refused;
    auto valueFits = [&](double v) { return SHCheckValue(host, index, v, &refused); };
    if ((kind == "value" || kind == "set") && args.size() == 2 && SHParseNumber(args[1], &value) && !isArb) {
      if (!valueFits(value)) return fail(refused);
      if (kind == "set") {
        if (SHUserSetValue(host, index, value, 0)) return fail("the effect refused the edit");
      } else {
        std::lock_guard<std::recursive_mutex> lock(host->params_lock);
        HIParamDef& d = host->params[size_t(index)].def;
        if (d.param_type == kHIParamFloatSlider) d.u.fs.value = value;
        if (d.param_type == kHIParamCheckbox) d.u.cb.value = int32_t(value);
        if (d.param_type == kHIParamPopup) d.u.pd.value = int32_t(value);
      }
    } else if (kind == "key" && args.size() == 3 && SHParseInt(args[1], &time) && SHParseNumber(args[2], &value) &&
               !isArb) {
      if (!valueFits(value)) return fail(refused);
      SHSetKeyframe(host, index, time, value);
    } else if (kind == "arb" && args.size() == 2 && isArb && fromHex(args[1], &bytes)) {
      HIHandle h = unflattenArb(host, index, bytes);
      if (!h) return fail("the effect refused the value");
      SHSetArbValue(host, index, h);
    } else if (kind == "arbkey" && args.size() == 3 && isArb && SHParseInt(args[1], &time) &&
               fromHex(args[2], &bytes)) {
      HIHandle h = unflattenArb(host, index, bytes);
      if (!h) return fail("the effect refused the value");
      SHSetArbKeyframe(host, index, time, h);
      HIDisposeHandle(h);
    } else {
      return fail("bad line");
    }
  }
  if (lineNumber == 0) {
    *error = path + ": empty file, not a velmora-host project";
    return false;
  }
  return true;
}
