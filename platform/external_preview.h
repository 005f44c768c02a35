// The external-preview library: a separately installed shared library that
// shows graded frames on an outside preview system. It is loaded by name
// with dlopen from "<system support>/Quorvane/Glowcast™ X Library" (the
// environment variable VELMORA_EXTERNAL_PREVIEW_LIBRARY names another
// file), on the first call of any entry point; each entry point is looked
// up by name on its first call and kept, and a failed lookup is tried again
// on the next call. With no library or no entry point every call fails
// soft: false, -1, 0 or nothing written, as listed.
//
// The library's C entry points (our own interface, all extern "C"):
//
//   uint8_t VUZerE_IsGlowcastAvailable(void)
//   int16_t VUZerE_OpenGlowcastConnection(int32_t version, const uint8_t* pascalName,
//                                         const char* clientID, int32_t flags, VUZerEConnection* connection)
//   int16_t VUZerE_CloseGlowcastConnection(const VUZerEConnection*, int32_t version, const char* clientID)
//   int32_t VUZerE_GetAccessCount(void)
//   int16_t VUZerE_OutputOn(void)            int16_t VUZerE_OutputOff(void)
//   void    VUZerE_GetPreviewBounds(const VUZerEConnection*, VUZerERect* bounds)
//   int16_t VUZerE_DoImageScaling(const VUZerEConnection*, const VUZerEPicture* source,
//                                 VUZerEPicture* destination, int32_t one, int32_t zero)
//   int16_t VUZerE_DisplayTestInstruments(const uint8_t* sourcePixels, int32_t height, int32_t width,
//                                         int32_t rowBytes, const VUZerEConnection*, VUZerEPicture* destination)
//   int16_t VUZerE_DisplayOverlays(const VUZerEConnection*, VUZerEPicture* destination)
//   int16_t VUZerE_OutputGWorld(const VUZerEConnection*, VUZerEPicture* destination)
//   int16_t VUZerE_SetLastOutput(const VUZerEConnection*, int32_t value)
//
// Pictures are 32-bit 'BGRA' pixels with their size and row bytes.
#pragma once

#include <cstdint>
#include <string>


#include "platform/external_preview_abi.h"

constexpr const char* kVUZerELibraryVariable = "VELMORA_EXTERNAL_PREVIEW_LIBRARY";
constexpr int32_t kVUZerEVersion = 10;
constexpr const char* kVUZerEClientID = "velmorap";

// The file the library is loaded from.
std::string VUZerELibraryPath();
// Forgets the loaded library and every kept address (the next call loads
// it again); for tests and the end of the program.
void VUZerEUnload();

bool VUZerE_IsGlowcastAvailable();
int16_t VUZerE_OpenGlowcastConnection(VUZerEConnection* connection);  // 10, "Velmora", "velmorap", 0
int16_t VUZerE_CloseGlowcastConnection(const VUZerEConnection* connection);  // 10, "velmorap"
int32_t VUZerE_GetAccessCount();
int16_t VUZerE_OutputOn();
int16_t VUZerE_OutputOff();
void VUZerE_GetPreviewBounds(const VUZerEConnection* connection, VUZerERect* bounds);
int16_t VUZerE_DoImageScaling(const VUZerEConnection* connection, const VUZerEPicture* source,
                              VUZerEPicture* destination);  // 1, 0
int16_t VUZerE_DisplayTestInstruments(const uint8_t* sourcePixels, int32_t height, int32_t width, int32_t rowBytes,
                                      const VUZerEConnection* connection, VUZerEPicture* destination);
int16_t VUZerE_DisplayOverlays(const VUZerEConnection* connection, VUZerEPicture* destination);
int16_t VUZerE_OutputGWorld(const VUZerEConnection* connection, VUZerEPicture* destination);
int16_t VUZerE_SetLastOutput(const VUZerEConnection* connection, int32_t value);
