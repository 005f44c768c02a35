#include "platform/fourcc.h"

static_assert(QVFourCC("VLc3") == 0x564C6333u, "four-character codes read big-endian");
