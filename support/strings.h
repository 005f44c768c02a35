// C-string and length-prefixed-string utilities. C strings are changed in
// place unless said.
#pragma once

#include <cstddef>
#include <string>

#include "support/support_types.h"

// Length-prefixed: appends source to destination (at most up to 255
// characters in all); nothing when either is null or the source is empty.
void Append(unsigned char* destination, const unsigned char* source);
// Length-prefixed copy; nothing when either is null; returns destination.
unsigned char* StrCopy(const unsigned char* source, unsigned char* destination);

// The last "." that is not the first character, or null.
char* GetFileExtensionCStr(char* name);
const char* GetFileExtensionCStr(const char* name);
// Cuts the name at that "."; 1 when cut, 0 when there is none.
int RemoveFileExtensionCStr(char* name);
// The text after the last "/"; the whole path when there is no "/" other
// than in the first position.
char* GetFilenameFromPathCStr(char* path);
const char* GetFilenameFromPathCStr(const char* path);

// Removes trailing blanks.
void QVStripTrailingSpaces(char* text);
// Removes trailing "0"s of a number written with a decimal point, keeping
// one digit after the point (2.000 -> 2.0, 1.2500 -> 1.25). A text without a
// decimal point, or of zeros only, is left alone.
void QVStripTrailingZeros(char* text);

enum : int { kQVTruncateEnd = 0, kQVTruncateStart = 1, kQVTruncateMiddle = 2 };
// Shortens a text longer than maximum to exactly maximum characters with the
// ellipsis at the end (mode 0), the start (1) or the middle (2); returns 0
// when the text was short enough, 1 otherwise. The text is left unchanged
// (result 1) for another mode, a maximum shorter than the ellipsis, or in
// modes 1 and 2 a maximum of 256 or more.
int TruncateStringCStr(char* text, int maximum, const char* ellipsis, int mode);

// Case mapping with the C library's tables; the first two return the
// address of the final zero, the others the text.
char* QVCStringToUpper(char* text);
char* QVCStringToLower(char* text);
char* ToUpperCStr(char* text);
char* ToLowerCStr(char* text);
// Lower-cased copy of source into destination (capacity bytes).
char* ToLowerCStr(const char* source, char* destination, size_t capacity);

// A copy (at most 512 characters) in which every "/" becomes ":".
std::string QVCleanStringForFilename(const std::string& name);
// A copy in which every occurrence of find is replaced, searching again from
// the start after each replacement. When replacement itself contains find
// the occurrences are replaced in one pass instead (the search would never end).
std::string ReplaceCharInCFString(const std::string& text, const std::string& find,
                                  const std::string& replacement);
// The UTF-8 text as UTF-16 units (at most 255); returns 0.
int QVGetUnicodeFilenameFromCFString(const std::string& text, QVUniStr255* out);

// Reverses the order of the buffer's bytes (the byte swap of one value).
void QVSwapBytes(void* buffer, size_t length);
