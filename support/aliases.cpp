#include "support/aliases.h"

#include <cstring>
#include <string>

std::vector<uint8_t> QVNewAlias(const QVFileRef* ref) {
  if (ref == nullptr) return {};
  const uint8_t* p = reinterpret_cast<const uint8_t*>(ref->path);
  return std::vector<uint8_t>(p, p + strnlen(ref->path, kQVMaxPath - 1));
}
