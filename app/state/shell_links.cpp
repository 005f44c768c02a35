#include "app/state/shell_links.h"

namespace {

void drawNothing(bool) {}
void stateNothing(uint32_t) {}
void nothing() {}
bool impossible() { return false; }
QVStatus unavailable() { return kQVErrParam; }
QVStatus noSource(const FBFrameStruct*, const uint32_t*) { return kQVErrUnimplemented; }

UIShellLinks gLinks = {drawNothing, drawNothing, stateNothing, drawNothing,
                       impossible,  unavailable, nothing,      nothing, noSource};

}  // namespace

UIShellLinks& UIShell() { return gLinks; }
