// velmora-ui: the grading application.
#include "app/commands/controls_install.h"
#include "app/commands/library_services.h"
#include "app/commands/media_services.h"
#include "app/shell/least_hooks.h"
#include "app/shell/startup.h"

int main(int argc, char** argv) {
  UIResetHooks();
  VFInstallControls();
  LibraryInstallServices();
  MediaInstallServices();
  return UIMain(argc, argv);
}
