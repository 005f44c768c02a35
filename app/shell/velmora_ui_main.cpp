// velmora-ui: the grading application.
#include "app/commands/controls_install.h"
#include "app/shell/least_hooks.h"
#include "app/shell/startup.h"

int main(int argc, char** argv) {
  UIResetHooks();
  VFInstallControls();
  return UIMain(argc, argv);
}
