// Connects the correction controls to the shell at start-up: the shell's
// hooks for synchronising and ending edits and the shortcut lookup's tab
// operations.
#pragma once

void VFInstallControls();
