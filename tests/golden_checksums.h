// Checked-in checksums of rendered pixels. A test names each output it makes
// and its checksum; ExpectGoldenChecksums compares them with the file, line
// for line. With VELMORA_UPDATE_CHECKSUMS=1 in the environment it writes the
// file instead (scripts/update-checksums.sh runs every such test that way):
// regenerate only when a change of the output is intended.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

// FNV-1a over bytes, 64 bits: enough to tell any two outputs apart.
inline uint64_t GoldenChecksum(const void* data, size_t size, uint64_t hash = 0xcbf29ce484222325ull) {
  const uint8_t* p = static_cast<const uint8_t*>(data);
  for (size_t i = 0; i < size; ++i) hash = (hash ^ p[i]) * 0x100000001b3ull;
  return hash;
}

// The checksum of `height` rows of `rowBytes` bytes each, `stride` apart.
inline uint64_t GoldenChecksumRows(const void* first, size_t rowBytes, size_t stride, size_t height) {
  uint64_t hash = GoldenChecksum(nullptr, 0);
  for (size_t y = 0; y < height; ++y) hash = GoldenChecksum(static_cast<const uint8_t*>(first) + y * stride, rowBytes, hash);
  return hash;
}

using GoldenEntries = std::vector<std::pair<std::string, uint64_t>>;

inline bool GoldenUpdating() {
  const char* v = std::getenv("VELMORA_UPDATE_CHECKSUMS");
  return v && std::strcmp(v, "1") == 0;
}

// path is relative to the source tree.
inline void ExpectGoldenChecksums(const std::string& path, const std::string& what, const GoldenEntries& entries) {
  const std::string full = std::string(VELMORA_SOURCE_DIR) + "/" + path;
  if (GoldenUpdating()) {
    std::ofstream out(full, std::ios::trunc);
    out << "# " << what << "\n# One line per output: name, FNV-1a 64 of its bytes. Regenerate only on purpose,\n"
        << "# with scripts/update-checksums.sh, and say in the commit why the output moved.\n";
    for (const auto& [name, sum] : entries) {
      char hex[17];
      std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(sum));
      out << name << ' ' << hex << '\n';
    }
    ASSERT_TRUE(out.good()) << "cannot write " << full;
    return;
  }
  std::ifstream in(full);
  ASSERT_TRUE(in.good()) << "cannot read " << full << " (scripts/update-checksums.sh writes it)";
  std::map<std::string, uint64_t> stored;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string name, hex;
    fields >> name >> hex;
    stored[name] = std::strtoull(hex.c_str(), nullptr, 16);
  }
  for (const auto& [name, sum] : entries) {
    auto it = stored.find(name);
    if (it == stored.end()) {
      ADD_FAILURE() << name << " has no checksum in " << path;
      continue;
    }
    EXPECT_EQ(it->second, sum) << name << ": the output moved (" << path << ")";
    stored.erase(it);
  }
  for (const auto& [name, sum] : stored) ADD_FAILURE() << path << " names " << name << ", which no longer is made";
}
