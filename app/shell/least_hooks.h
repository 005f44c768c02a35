// Every hook table back to the shell's least behaviour: the service hooks'
// least entries and the shell's own links. The program does this first;
// tests do it to start from a known state.
#pragma once

void UIResetHooks();
