// The window toolkit in one include: drawing, the event loop, windows,
// controls, menus, dialogs and services. Tests add ui_headless.h.
#pragma once

#include "platform/ui/ui_control.h"
#include "platform/ui/ui_dialogs.h"
#include "platform/ui/ui_draw.h"
#include "platform/ui/ui_event.h"
#include "platform/ui/ui_loop.h"
#include "platform/ui/ui_menu.h"
#include "platform/ui/ui_services.h"
#include "platform/ui/ui_types.h"
#include "platform/ui/ui_window.h"
