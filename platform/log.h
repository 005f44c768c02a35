// The diagnostic log: one line per entry, "tag: text", to standard error by
// default, or appended to the file named by VELMORA_LOG when it is set.
// A program or a test may route entries elsewhere with a sink.
#pragma once

void PLLogWrite(const char* tag, const char* text);

using PLLogSink = void (*)(const char* tag, const char* text, void* context);
// Replaces the sink; null restores the default.
void PLSetLogSink(PLLogSink sink, void* context);
