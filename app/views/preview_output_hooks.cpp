// The preview outputs put in force for the shell and the central update.
#include "app/state/service_hooks.h"
#include "app/state/views_hooks.h"
#include "app/views/preview_outputs.h"

namespace {

// Display 0 asks for no secondary monitor.
void openSecondary(int32_t display) {
  if (display > 0)
    OpenSecondaryPreviewWindow(display);
  else
    CloseSecondaryPreviewWindow();
}

}  // namespace

void InstallPreviewOutputHooks() {
  UIServiceHooks& ui = UIHooks();
  ui.openSecondaryPreview = openSecondary;
  ui.updateSecondaryPreview = UpdateSecondaryPreview;
  ui.showSecondaryPreview = ShowSecondaryPreviewWindow;
  ui.startVideoOutput = StartVideoOutput;
  ui.stopVideoOutput = StopVideoOutput;
  ui.updateVideoOutputFrame = UpdateVideoOutputFrame;
  ui.externalPreviewAvailable = ExternalPreviewAvailable;
  ui.openExternalPreview = OpenExternalPreview;
  ui.closeExternalPreview = CloseExternalPreview;
  ViewsHooks& views = ViewsHooksInForce();
  views.outputExternalPreviewFrame = OutputExternalPreviewFrame;
  views.updateVideoOutputFrame = UpdateVideoOutputFrame;
  views.updateSecondaryPreview = UpdateSecondaryPreview;
}
