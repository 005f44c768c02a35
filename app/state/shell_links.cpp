#include "app/state/shell_links.h"

namespace {

void drawNothing(bool) {}
void stateNothing(uint32_t) {}
void nothing() {}
bool impossible() { return false; }
QVStatus unavailable() { return kQVErrParam; }

UIShellLinks gLinks = {drawNothing, drawNothing, stateNothing, drawNothing,
                       impossible,  unavailable, nothing,      nothing};

}  // namespace

UIShellLinks& UIShell() { return gLinks; }
