// The external-preview library's connection over a session and the frame
// sent to it after every redraw.
#include "app/views/preview_outputs.h"
#include "app/views/preview_outputs_internal.h"
#include "platform/external_preview.h"

namespace {

VUZerEConnection gConnection{0, 0};
bool gCountKept = false;
int32_t gStartCount = 0;  // the access count when the program first found the library

void closeConnection() {
  // A close the library refuses leaves nothing for us to do: the record is cleared.
  QVIgnoreStatus(VUZerE_CloseGlowcastConnection(&gConnection));
  gConnection = VUZerEConnection{0, 0};
}

VUZerEPicture pictureOf(TKImage* image) {
  return VUZerEPicture{TKImagePixels(image), TKImageWidth(image), TKImageHeight(image), TKImageRowBytes(image)};
}

}  // namespace

bool ExternalPreviewAvailable() {
  const bool available = VUZerE_IsGlowcastAvailable();
  if (available && !gCountKept) {
    gCountKept = true;
    gStartCount = VUZerE_GetAccessCount();
  }
  return available;
}

bool ExternalPreviewConnected() { return gConnection.connection != 0; }

void OpenExternalPreview() {
  // A connection kept over the last session gets its output back; otherwise
  // a new connection is opened.
  if (ExternalPreviewConnected())
    QVIgnoreStatus(VUZerE_OutputOn());  // an output that stays off shows nothing, as without the library
  else if (VUZerE_OpenGlowcastConnection(&gConnection) != 0)
    gConnection = VUZerEConnection{0, 0};
  OutputExternalPreviewFrame();
}

void CloseExternalPreview() {
  if (!ExternalPreviewConnected()) return;
  if (gConnection.word1 < 1)
    QVIgnoreStatus(VUZerE_OutputOff());  // the connection stays for the next session either way
  else
    closeConnection();
}

// At quit every connection still open is closed, kept or not (the library
// counted no other user at start-up, or this one keeps it).
void ExternalPreviewQuit() {
  if (ExternalPreviewConnected()) closeConnection();
}

void OutputExternalPreviewFrame() {
  if (!ExternalPreviewConnected()) return;
  TKImage* picture = PreviewViewPicture();
  VUZerERect bounds{0, 0, 0, 0};
  VUZerE_GetPreviewBounds(&gConnection, &bounds);
  const int32_t width = int32_t(bounds.right) - bounds.left, height = int32_t(bounds.bottom) - bounds.top;
  // No bounds given, or empty ones: no frame this time.
  if (!picture || width <= 0 || height <= 0) return;
  TKImage* temporary = TKImageCreate(width, height);
  if (!temporary) return;
  VUZerEPicture source = pictureOf(picture);
  VUZerEPicture destination = pictureOf(temporary);
  // Each step the library refuses leaves the picture as the step before made it.
  QVIgnoreStatus(VUZerE_DoImageScaling(&gConnection, &source, &destination));
  QVIgnoreStatus(VUZerE_DisplayTestInstruments(source.pixels, source.height, source.width, source.rowBytes,
                                               &gConnection, &destination));
  QVIgnoreStatus(VUZerE_DisplayOverlays(&gConnection, &destination));
  QVIgnoreStatus(VUZerE_OutputGWorld(&gConnection, &destination));
  QVIgnoreStatus(VUZerE_SetLastOutput(&gConnection, 10));
  TKImageDispose(temporary);
}
