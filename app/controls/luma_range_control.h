// The luma-range graph as the central update sees it.
#pragma once

// Redraws the graph last made, if it still exists (after every reprocess
// while the Luma Range tab shows).
void LumaRangeRedrawGraph();
