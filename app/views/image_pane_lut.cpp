#include "app/views/image_pane.h"
#include "app/views/image_pane_internal.h"

const uint8_t* ImagePaneGetActiveLUT(TKControl* pane) {
  const ImagePaneRecord* r = ImagePaneRecordOf(pane);
  return r && r->lut && r->lutIndex && *r->lutIndex != 0 ? r->lut : nullptr;
}

bool ImagePaneIsMainImage(TKControl* pane) {
  const ImagePaneRecord* r = ImagePaneRecordOf(pane);
  return r && r->role == 1;
}
