// Writes the shipped surface definitions file with the application's own
// writer: make_default_definitions OUTPUT
#include <cstdio>

#include "app/surfaces/surface_defaults.h"
#include "app/surfaces/surface_file.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_default_definitions OUTPUT\n");
    return 2;
  }
  SurfaceSetDefaultDefinitions();
  const QVStatus status = SurfaceWriteDefinitions(argv[1], nullptr);
  if (status != kQVNoErr) {
    std::fprintf(stderr, "make_default_definitions: cannot write %s (error %d)\n", argv[1], int(status));
    return 1;
  }
  return 0;
}
