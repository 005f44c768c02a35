// velmora-ui: the grading application.
#include "app/controls/controls_install.h"
#include "app/library/library_services.h"
#include "app/shell/startup.h"

int main(int argc, char** argv) {
  VFInstallControls();
  LibraryInstallServices();
  return UIMain(argc, argv);
}
