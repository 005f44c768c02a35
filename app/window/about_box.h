// The about box: the background picture, the product picture and the
// version; a click anywhere closes it.
#pragma once

constexpr const char* kUIVersion = "3.0.14";

void ShowAboutBox();
