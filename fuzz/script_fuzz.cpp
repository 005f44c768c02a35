// The grading application's input script: the bytes as a script file, read
// and checked line by line.
#include <string>

#include "app/shell/input_script.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = FZWriteScratchFile("input.script", data, size);
  std::string error;
  const QVStatus status = UILoadInputScript(path, &error);
  if (status != kQVNoErr && error.empty()) __builtin_trap();  // a refusal always says where
  return 0;
}
