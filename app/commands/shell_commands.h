// The commands the shell carries out itself until the command handler of
// the menus takes them over: OK and Cancel end the exchange, Undo and Redo
// walk the history, About shows the about box, Quit ends the application.
#pragma once

#include <cstddef>
#include <cstdint>

#include "app/state/command_ids.h"
#include "platform/status.h"

// kQVNoErr when the command was one of the shell's, else kQVErrNotHandled.
QVStatus UIShellCommand(uint32_t command);
// Installs UIShellCommand on the application's handler chain; the command
// handler of the menus removes it again when it takes over.
void UIInstallShellCommands();
void UIRemoveShellCommands();

// Edits one field of the working correction by its name, as a control does:
// an undo step, the new value, the picture reprocessed. False for an unknown
// name or a value that is not a number.
bool UIEditSettingsField(const char* name, const char* value);
// The field's value as text ("" for an unknown name).
bool UIFormatSettingsField(const char* name, char* out, size_t capacity);
