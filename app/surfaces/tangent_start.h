// Puts the USB control panel on the application's hooks: started for
// surface kind 2 (with its splash the first time), stopped and closed with
// every surface stop, and refreshed by every edit of a bound control.
#pragma once

void TangentInstall();
