// The "Output Jobs" window: one row per background job (progress, output,
// kind, status) and a button that cancels the selected job.
#pragma once

#include <cstdint>

#include "platform/fourcc.h"

struct TKControl;
struct TKWindow;

constexpr uint32_t kJobListCancelCommand = QVFourCC("VLjc");

// Makes the window the first time and brings it to the front.
void ShowJobListWindow();
// The window and its list while they exist (null before the first show).
TKWindow* JobListWindow();
TKControl* JobListControl();
// Cancels the job of the selected row; false when no single row is selected.
bool JobListCancelSelected();
