// The progress windows and the job list on the window toolkit.
#pragma once

#include <cstdint>

struct TKControl;

// Installs the toolkit's progress windows as the progress view and wakes
// the event loop on every post (main thread, toolkit running).
void QVProgressInstallToolkitView();

// The job list shown by a list control: columns for progress, task, kind
// and status; rows follow the list. The control's ('QVc3', 'btdl')
// property may hold the TKControl* of a button that acts on one selected row.
// The jobs already listed get their rows at once.
void QVJobListAttachControl(TKControl* list);
// Main thread, when the control is visible: updates its button and, when
// the list changed since, every row's cells.
void QVJobListRefresh(TKControl* list);
// The button is active when exactly one row is selected.
void QVJobListUpdateButtons(TKControl* list);
