// The shell's own command IDs, which buttons, menus and keys send: OK and
// Cancel end the exchange, Undo and Redo walk the history, About shows the
// about box, Quit ends the application.
#pragma once

#include <cstdint>

#include "platform/fourcc.h"

constexpr uint32_t kUICommandOK = QVFourCC("ok  ");
constexpr uint32_t kUICommandCancel = QVFourCC("not!");
constexpr uint32_t kUICommandUndo = QVFourCC("undo");
constexpr uint32_t kUICommandRedo = QVFourCC("redo");
constexpr uint32_t kUICommandAbout = QVFourCC("abou");
constexpr uint32_t kUICommandQuitApp = QVFourCC("quit");
