// velmora-ui: the grading application.
#include "app/shell/startup.h"

int main(int argc, char** argv) { return UIMain(argc, argv); }
