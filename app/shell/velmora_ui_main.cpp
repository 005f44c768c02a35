// velmora-ui: the grading application.
#include "app/controls/controls_install.h"
#include "app/shell/startup.h"

int main(int argc, char** argv) {
  VFInstallControls();
  return UIMain(argc, argv);
}
