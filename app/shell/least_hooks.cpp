// The shell's least behaviour for every hook table, put in force by
// UIResetHooks: the image panes redrawn from the frames, the interface
// colours, the least main window, the XML parser and the shell's own links.
#include "app/shell/least_hooks.h"

#include "app/shell/host_link.h"
#include "app/state/interface_colors.h"
#include "app/state/service_hooks.h"
#include "app/state/shell_links.h"
#include "app/views/central_update.h"
#include "app/views/scope_colors.h"
#include "app/window/shell_window.h"
#include "support/xml_write.h"

namespace {

// The interface colours from the two preferences.
void applyLook(int32_t brightness, int32_t saturation) {
  ApplyInterfaceBrightness(brightness);
  ApplyInterfaceSaturation(saturation);
  ScopeSetAccentColors(gInterfaceAccentColors);
}

// The parser keeps nothing the program needs after it ends, so a failed clean-up is not reported.
void xmlEnd() { QVIgnoreStatus(XMLTerminateLibrary()); }

const UIShellLinks kShellLinks = {
    UIReprocess,       UICommFinishExchange,     UICommSetState,    UICommDetach,
    UICanRelinearizeSourceFrame, UIRelinearizeSourceFrame, UIQuitApplication, UIInstallPaneHooks,
    UIImportSourceFrame,
};

}  // namespace

void UIResetHooks() {
  UIServiceHooks& hooks = UIHooks();
  hooks = UIQuietHooks();
  hooks.redrawImagePanes = RedrawImagePanes;
  hooks.setPaneImages = SetViewPanePictures;
  hooks.setPanesPixelAspect = SetViewPanesPixelAspect;
  hooks.xmlInitialize = XMLInitializeLibrary;
  hooks.xmlTerminate = xmlEnd;
  hooks.initInterfaceColors = InitInterfaceColors;
  hooks.applyInterfaceLook = applyLook;
  hooks.buildMainWindow = UIBuildMainWindow;
  hooks.showMainWindow = UIShowMainWindow;
  UIShell() = kShellLinks;
}
