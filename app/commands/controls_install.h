// Connects the correction controls to the shell at start-up: the shell's
// hooks for synchronising and ending edits, the input linearization of
// arriving frames, the menu bar with the command handler, the loader of
// preview LUT files and the shortcut lookup's tab operations.
#pragma once

void VFInstallControls();
