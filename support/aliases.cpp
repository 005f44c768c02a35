#include "support/aliases.h"

#include <cstring>
#include <string>

std::vector<uint8_t> QVNewAlias(const QVFileRef* ref) {
  if (ref == nullptr) return {};
  const uint8_t* p = reinterpret_cast<const uint8_t*>(ref->path);
  return std::vector<uint8_t>(p, p + strnlen(ref->path, kQVMaxPath - 1));
}

QVStatus QVResolveAlias(const std::vector<uint8_t>& alias, QVFileRef* out) {
  if (alias.empty() || alias.size() >= kQVMaxPath) return kQVErrParam;
  std::string path(alias.begin(), alias.end());
  if (path.find('\0') != std::string::npos) return kQVErrParam;
  return PLFileRefFromPath(path.c_str(), out);
}
