// The media library's result codes: 0 and 1001 to 1037 (1007 unused), each
// with its name and message. Any other code reads as QVMediaErrUnknown.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/status.h"

using QVMediaErr = uint32_t;

enum : QVMediaErr {
  QVMediaErr_NoErr = 0,
  QVMediaErr_FileNotFound = 1001,
  QVMediaErr_InvalidMediaFileRef = 1002,
  QVMediaErr_MediaSubsystemNotInitialized = 1003,
  QVMediaErr_UnsupportedMediaType = 1004,
  QVMediaErr_InsufficientMemory = 1005,
  QVMediaErr_ParameterError = 1006,
  QVMediaErr_CodecNotFound = 1008,
  QVMediaErr_ExporterNotFound = 1009,
  QVMediaErr_InvalidGWorld = 1010,
  QVMediaErr_InvalidFrameBuffer = 1011,
  QVMediaErr_MediaOffline = 1012,
  QVMediaErr_MediaTooShort = 1013,
  QVMediaErr_InvalidMetadataKey = 1014,
  QVMediaErr_InvalidMetadataIndex = 1015,
  QVMediaErr_UndefinedMetadataValue = 1016,
  QVMediaErr_TimedOutWaitingForMedia = 1017,
  QVMediaErr_NoSidecarFileAvailable = 1018,
  QVMediaErr_InvalidSidecarFile = 1019,
  QVMediaErr_BufferTooSmall = 1020,
  QVMediaErr_MediaHasNoAudio = 1021,
  QVMediaErr_PlaybackDeviceNotOpen = 1022,
  QVMediaErr_PlaybackDeviceNotSupported = 1023,
  QVMediaErr_PlaybackDisplayModeNotSupported = 1024,
  QVMediaErr_PlaybackBeginFailed = 1025,
  QVMediaErr_FileSelectionError = 1026,
  QVMediaErr_UserCanceledErr = 1027,
  QVMediaErr_ApplyToAll = 1028,
  QVMediaErr_ExportFailed = 1029,
  QVMediaErr_NoSerialPortsFound = 1030,
  QVMediaErr_UnableToOpenDevice = 1031,
  QVMediaErr_DeviceCommunicationError = 1032,
  QVMediaErr_DeviceWriteInhibit = 1033,
  QVMediaErr_DeviceLocalOperationOnly = 1034,
  QVMediaErr_DeviceTapeMissing = 1035,
  QVMediaErr_DeviceNearEndOfTape = 1036,
  QVMediaErr_DeviceEndOfTape = 1037,
};

// Copies the code's name and message into the buffers given (either may be
// null), each at most length bytes and always terminated when length > 0.
void QVMediaGetErrorText(QVMediaErr code, char* name, char* message, size_t length);

// The code as a status: unreadable or unsupported files are "file not
// found", memory is memory, a wait that ran out is a timeout, a cancel by
// the user is cancelled, anything else a parameter error.
QVStatus QVMediaStatusOf(QVMediaErr code);
