// Writing XML as plain text straight to an open C stream. There is no
// document model: callers write elements in order and close them in reverse
// order. One process-wide indentation level (tabs, at most 50) is raised by
// every open tag and lowered by every close tag; it is never reset between
// files, so a file must be written whole in one pass.
//
// Text is escaped with four entities: & "&amp;", < "&lt;", > "&gt;",
// " "&quot;". Every other byte, the tilde among them, is written as it is.
// Attribute texts are written as they stand: callers escape the values in
// them with XMLEscapeText.
//
// Writers return 0, or the status of the C library's error number when a
// write fails (QVStatusFromWriteErrno); they go on writing what they are
// asked to after a failure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/status.h"

// The libxml2 version the readers need at least (2.7.3).
constexpr int kXMLLeastLibraryVersion = 20703;

// Start-up and shutdown of the XML library: 0 (kQVErrUnimplemented when
// the library is older than the readers need).
QVStatus XMLInitializeLibrary();
QVStatus XMLTerminateLibrary();

// The current indentation level, and setting it (for tests).
int32_t XMLIndentLevel();
void XMLSetIndentLevel(int32_t level);

// A negative step lowers the level first and then indents; otherwise indents
// and then raises the level. Returns the count of tabs written (at most 50;
// none below level 0).
int32_t XMLWriteIndent(FILE* stream, int32_t step);
QVStatus XMLWriteString(FILE* stream, const char* text);
QVStatus XMLWriteEscapedString(FILE* stream, const char* text);
// Indent, raise the level, "<name>\n" or "<name attributes>\n". Returns the
// count of characters printed, or a negative status.
int32_t XMLWriteOpenTag(FILE* stream, const char* name, const char* attributes);
// Lower the level, indent, "</name>\n". Returns the count of characters
// printed, or a negative status.
int32_t XMLWriteCloseTag(FILE* stream, const char* name);
QVStatus XMLWriteEmptyElement(FILE* stream, const char* name, const char* attributes);
// Indent, <name>text</name> with the text escaped, newline.
QVStatus XMLWriteTextElement(FILE* stream, const char* name, const char* text);
// The same for a string object (UTF-8); none writes "<name></name>".
QVStatus XMLWriteStringElement(FILE* stream, const char* name, const std::string* text);
QVStatus XMLWriteFloatElement(FILE* stream, const char* name, float value);          // "%f"
QVStatus XMLWriteLongElement(FILE* stream, const char* name, int32_t value);         // "%ld"
QVStatus XMLWriteLongLongElement(FILE* stream, const char* name, int64_t value);     // "%lld"
QVStatus XMLWriteBoolElement(FILE* stream, const char* name, bool value);            // TRUE / FALSE

// The source escaped into the buffer (size bytes), always terminated when
// size is at least 1. kQVErrMemory when the buffer is used up first: the
// output then ends before the character or entity that did not fit.
QVStatus XMLEscapeText(const char* source, char* buffer, size_t size);
// The source escaped, whole.
std::string XMLEscapedText(const char* source);
