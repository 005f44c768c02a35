// Text of the surface's records is Windows Latin-1 (code page 1252); files
// hold UTF-8. The conversions between them.
#pragma once

#include <cstddef>
#include <string>

// UTF-8 of a Windows Latin-1 text of at most `length` bytes (stopping at a
// zero byte). The five byte values the code page leaves undefined keep
// their own code points; control characters XML cannot carry become "?".
std::string SurfaceLatin1ToUTF8(const char* text, size_t length);
// Windows Latin-1 of a UTF-8 text into out (size bytes, always terminated
// when size is at least 1), cut to size - 1 bytes. A character the code
// page has no byte for, and every byte of a broken sequence, become "?".
void SurfaceUTF8ToLatin1(const std::string& text, char* out, size_t size);
