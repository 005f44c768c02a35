#include "tools/fake_panel/fake_panel_script.h"

#include <charconv>
#include <cstring>
#include <sstream>

#include "app/surfaces/tangent_reports.h"

namespace {

bool ParseInt(const std::string& token, int32_t* value) {
  const char* end = token.data() + token.size();
  auto r = std::from_chars(token.data(), end, *value);
  return !token.empty() && r.ec == std::errc() && r.ptr == end;
}

bool ParseSeconds(const std::string& token, double* value) {
  const char* end = token.data() + token.size();
  auto r = std::from_chars(token.data(), end, *value);
  return !token.empty() && r.ec == std::errc() && r.ptr == end && *value >= 0 && *value <= 3600;
}

bool EncoderIndex(const std::string& name, int32_t* index) {
  static const char* const kNames[kTangentEncoderCount] = {
      "knob0", "knob1", "knob2", "knob3",  "knob4",  "knob5",  "knob6",  "knob7",  "knob8", "ring1",
      "ring2", "ring3", "jog",   "ball1x", "ball1y", "ball2x", "ball2y", "ball3x", "ball3y"};
  for (int32_t i = 0; i < kTangentEncoderCount; ++i)
    if (name == kNames[i]) {
      *index = i;
      return true;
    }
  return ParseInt(name, index) && *index >= 0 && *index < kTangentEncoderCount;
}

// The button bytes the script holds down, sent with every report.
struct Held {
  uint8_t bytes[kTangentButtonBytes] = {};
  std::vector<uint8_t> Report() const {
    std::vector<uint8_t> r(kTangentInputReportSize, 0);
    std::memcpy(r.data(), bytes, sizeof bytes);
    return r;
  }
  void Set(int32_t button, bool down) {
    const uint8_t bit = uint8_t(1u << (button % 8));
    if (down)
      bytes[button / 8] |= bit;
    else
      bytes[button / 8] &= uint8_t(~bit);
  }
};

}  // namespace

bool FakePanelParse(const std::string& text, std::vector<FakePanelCommand>* out, std::string* error) {
  std::istringstream lines(text);
  std::string line;
  Held held;
  int32_t number = 0;
  auto fail = [&](const std::string& why) {
    *error = "line " + std::to_string(number) + ": " + why;
    return false;
  };
  while (std::getline(lines, line)) {
    ++number;
    const size_t hash = line.find('#');
    if (hash != std::string::npos) line.erase(hash);
    std::istringstream words(line);
    std::vector<std::string> w;
    for (std::string word; words >> word;) w.push_back(word);
    if (w.empty()) continue;
    const std::string& verb = w[0];
    auto report = [&](std::vector<uint8_t> r) {
      FakePanelCommand c;
      c.report = std::move(r);
      c.line = number;
      out->push_back(std::move(c));
    };
    if (verb == "press" || verb == "release" || verb == "click" || verb == "double") {
      int32_t b = -1;
      if (w.size() != 2 || !ParseInt(w[1], &b) || b < 0 || b >= kTangentButtonCount)
        return fail("'" + verb + "' takes a button number 0-40");
      if (verb == "press" || verb == "release") {
        held.Set(b, verb == "press");
        report(held.Report());
        continue;
      }
      for (int32_t i = 0; i < (verb == "double" ? 2 : 1); ++i) {
        held.Set(b, true);
        report(held.Report());
        held.Set(b, false);
        report(held.Report());
      }
    } else if (verb == "turn") {
      int32_t e = -1, n = 0;
      if (w.size() != 3 || !EncoderIndex(w[1], &e)) return fail("'turn' takes an encoder (0-18 or its name) and a count");
      if (!ParseInt(w[2], &n) || n < -128 || n > 127 || n == 0) return fail("the count must be -128 to 127, not 0");
      std::vector<uint8_t> r = held.Report();
      r[size_t(kTangentEncoderByte + e)] = uint8_t(int8_t(n));
      report(std::move(r));
    } else if (verb == "report") {
      std::vector<uint8_t> r;
      for (size_t i = 1; i < w.size(); ++i) {
        int32_t v = 0;
        const char* end = w[i].data() + w[i].size();
        auto res = std::from_chars(w[i].data(), end, v, 16);
        if (w[i].size() > 2 || res.ec != std::errc() || res.ptr != end) return fail("'" + w[i] + "' is not a hex byte");
        r.push_back(uint8_t(v));
      }
      report(std::move(r));
    } else if (verb == "wait") {
      FakePanelCommand c;
      c.step = FakePanelStep::kWait;
      c.line = number;
      if (w.size() != 2 || !ParseSeconds(w[1], &c.seconds)) return fail("'wait' takes seconds, 0 to 3600");
      out->push_back(c);
    } else if (verb == "shift") {
      FakePanelCommand c;
      c.step = FakePanelStep::kShift;
      c.line = number;
      if (w.size() != 2 || (w[1] != "on" && w[1] != "off")) return fail("'shift' takes on or off");
      c.on = w[1] == "on";
      out->push_back(c);
    } else if (verb == "vanish") {
      FakePanelCommand c;
      c.step = FakePanelStep::kVanish;
      c.line = number;
      out->push_back(c);
    } else {
      return fail("unknown command '" + verb + "'");
    }
  }
  return true;
}
