// The table of media result codes, names and messages.
#include "media/media_errors.h"

#include <algorithm>
#include <cstring>

namespace {

struct ErrorRow {
  QVMediaErr code;
  const char* name;
  const char* message;
};

const ErrorRow kErrors[] = {
    {QVMediaErr_NoErr, "QVMediaErr_NoErr", "No error"},
    {QVMediaErr_FileNotFound, "QVMediaErr_FileNotFound", "File not found"},
    {QVMediaErr_InvalidMediaFileRef, "QVMediaErr_InvalidMediaFileRef", "Invalid QVMediaFileRef media file reference"},
    {QVMediaErr_MediaSubsystemNotInitialized, "QVMediaErr_MediaSubsystemNotInitialized",
     "QVMedia subsystem has not been initialized"},
    {QVMediaErr_UnsupportedMediaType, "QVMediaErr_UnsupportedMediaType", "Unsupported media type"},
    {QVMediaErr_InsufficientMemory, "QVMediaErr_InsufficientMemory", "Insufficient memory available"},
    {QVMediaErr_ParameterError, "QVMediaErr_ParameterError", "Parameter error"},
    {QVMediaErr_CodecNotFound, "QVMediaErr_CodecNotFound", "Requested codec not found"},
    {QVMediaErr_ExporterNotFound, "QVMediaErr_ExporterNotFound", "Requested exporter not found"},
    {QVMediaErr_InvalidGWorld, "QVMediaErr_InvalidGWorld", "Invalid GWorld"},
    {QVMediaErr_InvalidFrameBuffer, "QVMediaErr_InvalidFrameBuffer", "Invalid FBFramePtr frame buffer"},
    {QVMediaErr_MediaOffline, "QVMediaErr_MediaOffline", "Media is off-line"},
    {QVMediaErr_MediaTooShort, "QVMediaErr_MediaTooShort", "Media is too short for requested operation"},
    {QVMediaErr_InvalidMetadataKey, "QVMediaErr_InvalidMetadataKey", "Invalid metadata key"},
    {QVMediaErr_InvalidMetadataIndex, "QVMediaErr_InvalidMetadataIndex", "Invalid metadata index"},
    {QVMediaErr_UndefinedMetadataValue, "QVMediaErr_UndefinedMetadataValue", "Invalid metadata value"},
    {QVMediaErr_TimedOutWaitingForMedia, "QVMediaErr_TimedOutWaitingForMedia", "Timed out waiting for media"},
    {QVMediaErr_NoSidecarFileAvailable, "QVMediaErr_NoSidecarFileAvailable", "No sidecar file is available"},
    {QVMediaErr_InvalidSidecarFile, "QVMediaErr_InvalidSidecarFile", "Invalid sidecar file"},
    {QVMediaErr_BufferTooSmall, "QVMediaErr_BufferTooSmall", "Buffer too small"},
    {QVMediaErr_MediaHasNoAudio, "QVMediaErr_MediaHasNoAudio", "Media has no audio"},
    {QVMediaErr_PlaybackDeviceNotOpen, "QVMediaErr_PlaybackDeviceNotOpen", "Playback device is not open"},
    {QVMediaErr_PlaybackDeviceNotSupported, "QVMediaErr_PlaybackDeviceNotSupported", "Playback device not supported"},
    {QVMediaErr_PlaybackDisplayModeNotSupported, "QVMediaErr_PlaybackDisplayModeNotSupported",
     "Playback display mode not supported"},
    {QVMediaErr_PlaybackBeginFailed, "QVMediaErr_PlaybackBeginFailed", "Playback begin request failed"},
    {QVMediaErr_FileSelectionError, "QVMediaErr_FileSelectionError", "File selection error"},
    {QVMediaErr_UserCanceledErr, "QVMediaErr_UserCanceledErr", "User canceled operation"},
    {QVMediaErr_ApplyToAll, "QVMediaErr_ApplyToAll", "User requested settings be applied to all files"},
    {QVMediaErr_ExportFailed, "QVMediaErr_ExportFailed", "Export operation failed"},
    {QVMediaErr_NoSerialPortsFound, "QVMediaErr_NoSerialPortsFound", "No serial ports found"},
    {QVMediaErr_UnableToOpenDevice, "QVMediaErr_UnableToOpenDevice", "Unable to open device"},
    {QVMediaErr_DeviceCommunicationError, "QVMediaErr_DeviceCommunicationError", "Device communication error"},
    {QVMediaErr_DeviceWriteInhibit, "QVMediaErr_DeviceWriteInhibit", "Device record inhibit is on"},
    {QVMediaErr_DeviceLocalOperationOnly, "QVMediaErr_DeviceLocalOperationOnly", "Device is in local mode"},
    {QVMediaErr_DeviceTapeMissing, "QVMediaErr_DeviceTapeMissing", "Device has no media"},
    {QVMediaErr_DeviceNearEndOfTape, "QVMediaErr_DeviceNearEndOfTape", "Device near end of media"},
    {QVMediaErr_DeviceEndOfTape, "QVMediaErr_DeviceEndOfTape", "Device at end of media"},
};

const ErrorRow kUnknown = {0xFFFFFFFFu, "QVMediaErrUnknown", "Undefined error code"};

void CopyBounded(char* to, const char* from, size_t length) {
  if (!to || length == 0) return;
  const size_t n = std::min(std::strlen(from), length - 1);
  std::memcpy(to, from, n);
  to[n] = 0;
}

}  // namespace

void QVMediaGetErrorText(QVMediaErr code, char* name, char* message, size_t length) {
  const ErrorRow* row = &kUnknown;
  for (const ErrorRow& r : kErrors)
    if (r.code == code) row = &r;
  CopyBounded(name, row->name, length);
  CopyBounded(message, row->message, length);
}

QVStatus QVMediaStatusOf(QVMediaErr code) {
  switch (code) {
    case QVMediaErr_NoErr: return kQVNoErr;
    case QVMediaErr_FileNotFound:
    case QVMediaErr_UnsupportedMediaType:
    case QVMediaErr_MediaTooShort: return kQVErrFileNotFound;
    case QVMediaErr_InsufficientMemory: return kQVErrMemory;
    case QVMediaErr_TimedOutWaitingForMedia: return kQVErrTimeout;
    case QVMediaErr_UserCanceledErr: return kQVErrCancelled;
    default: return kQVErrParam;
  }
}
