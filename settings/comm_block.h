// The communication block: one SysV shared-memory segment through which the
// effect plug-in hands a frame and its correction to the grading
// application, and takes the edited correction back.
//
// Layout (offsets in bytes; every word in the byte order of the writer; the
// reader tells the order from word 0, which reads 7 or, written by a machine
// of the other order, 0x07000000):
//
//   0      u32  structure version, 7
//   4      u32  signature: the key 'VLc3'
//   8      u32  flags: bit 0 frame data in the block, bit 1 more chunks follow
//   12     u32  state word (CCState)
//   16     8    zero
//   24     u32  segment id
//   28     u8   time display: 0 none, 1 timecode, 2 frames, 3 feet and frames
//   29     u8   frames per foot      30 u8 drop flag      31 u8 zero
//   32     u16  frame rate x 100     34 u16 starting frame number
//   36     8    request timestamp (microseconds), written by the application
//   44     4    zero
//   48     200 footage records of 264 bytes: a 260-byte NUL-terminated path, u32 0
//   52848  u32  footage record count (at most 200)
//   52852  8    the plug-in's host-call reference: always zero here
//   52860  i32  width        52864 i32 height        52868 i32 row bytes
//   52872  i32  current time 52876 i32 time step     52880 i32 last frame time
//   52884  u32  time scale   52888 u32 pixel format
//   52892  u32  chunk size   52896 u32 bytes in the block now
//   52900  u32  bytes of the frame still to send
//   52904  8    the plug-in's read position: always zero here
//   52912  f32  pixel aspect ratio
//   52916  u32  host process serial, low word   52920 u32 high word
//   52924  4    zero         52928 u32 host creator code
//   52932  u32  frame request (2 asks; 1 answered)
//   52936  u32  frame answer (2 a frame is in the block, 3 none)
//   52940  4    zero
//   52944  8 x u32 input linearization record
//   52976  u32  frame requests by message: 0 through the block
//   52980  33,556 bytes: the correction (VL_SettingsStruct)
//   86536  24   zero
//   86560  frame data, to the end of the segment (the header's last field: 8
//          bytes in the 64-bit build, 4 in the 32-bit build)
//
// Sample: a one-chunk exchange of a 4 x 2 'BGRA' frame begins
//   07 00 00 00  33 63 4C 56  01 00 00 00  01 00 00 00 ...   (little-endian writer)
//
// Neither side locks the block: each writes its own fields, and the state,
// request and answer words hand control over. Those words are read with
// acquire and written with release ordering, so data written before a state
// change is seen by the side that reads the new state.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/settings_record.h"
#include "platform/fourcc.h"
#include "platform/status.h"

constexpr uint32_t kCCVersion = 7;
constexpr uint32_t kCCVersionSwapped = 0x07000000u;
constexpr uint32_t kCCSignature = QVFourCC("VLc3");
constexpr size_t kCCFrameDataOffset = 86560;
// The block's last field is as wide as a pointer of the build, so the header
// the plug-in reserves ahead of its first frame bytes is 86,568 bytes in the
// 64-bit build and 86,564 in the 32-bit one; every offset is the same in both.
constexpr size_t kCCLastFieldBytes = sizeof(void*);
constexpr size_t kCCHeaderBytes = kCCFrameDataOffset + kCCLastFieldBytes;
constexpr size_t kCCAttachBytes = 86564;     // the least a segment must hold to be attached
constexpr size_t kCCMaxSegmentBytes = 1500000;
constexpr size_t kCCFallbackBytes[2] = {524288, 262144};
constexpr int kCCFootageMax = 200;
constexpr int kCCFootagePathBytes = 260;

enum CCState : uint32_t {
  kCCStateCreated = 0,
  kCCStatePosted = 1,
  kCCStateFailed = 2,
  kCCStateWorking = 3,
  kCCStateDone = 4,
  kCCStateWantChunk = 5,
  kCCStateChunkReady = 6,
};

enum : uint32_t { kCCFlagInline = 1, kCCFlagMoreChunks = 2 };
enum : uint32_t { kCCRequestAnswered = 1, kCCRequestFrame = 2 };
enum : uint32_t { kCCAnswerFrame = 2, kCCAnswerNone = 3 };

struct CCFootageRecord {
  char path[kCCFootagePathBytes];
  uint32_t word;
};
static_assert(sizeof(CCFootageRecord) == 264);

struct CCUIComm {
  uint32_t version;
  uint32_t signature;
  uint32_t flags;
  uint32_t state;
  uint8_t zero16[8];
  uint32_t segmentID;
  uint8_t timeDisplay;
  uint8_t framesPerFoot;
  uint8_t dropFrame;
  uint8_t zero31;
  uint16_t frameRate100;
  uint16_t startFrame;
  uint32_t requestTimestamp[2];
  uint32_t zero44;
  CCFootageRecord footage[kCCFootageMax];
  uint32_t footageCount;
  uint32_t hostReference[2];
  int32_t width;
  int32_t height;
  int32_t rowBytes;
  int32_t currentTime;
  int32_t timeStep;
  int32_t lastFrameTime;
  uint32_t timeScale;
  uint32_t pixelFormat;
  uint32_t chunkSize;
  uint32_t bytesNow;
  uint32_t bytesToSend;
  uint32_t readPosition[2];
  float pixelAspect;
  uint32_t hostSerial[2];
  uint32_t zero52924;
  uint32_t hostCreator;
  uint32_t frameRequest;
  uint32_t frameAnswer;
  uint32_t zero52940;
  uint32_t linearization[8];
  uint32_t requestsByMessage;
  VL_SettingsStruct settings;
  uint8_t zero86536[24];
  uint8_t frameData[kCCLastFieldBytes];
};

#define CC_ASSERT_AT(field, offset) static_assert(offsetof(CCUIComm, field) == (offset), #field)
CC_ASSERT_AT(version, 0);
CC_ASSERT_AT(signature, 4);
CC_ASSERT_AT(flags, 8);
CC_ASSERT_AT(state, 12);
CC_ASSERT_AT(zero16, 16);
CC_ASSERT_AT(segmentID, 24);
CC_ASSERT_AT(timeDisplay, 28);
CC_ASSERT_AT(framesPerFoot, 29);
CC_ASSERT_AT(dropFrame, 30);
CC_ASSERT_AT(zero31, 31);
CC_ASSERT_AT(frameRate100, 32);
CC_ASSERT_AT(startFrame, 34);
CC_ASSERT_AT(requestTimestamp, 36);
CC_ASSERT_AT(zero44, 44);
CC_ASSERT_AT(footage, 48);
CC_ASSERT_AT(footageCount, 52848);
CC_ASSERT_AT(hostReference, 52852);
CC_ASSERT_AT(width, 52860);
CC_ASSERT_AT(height, 52864);
CC_ASSERT_AT(rowBytes, 52868);
CC_ASSERT_AT(currentTime, 52872);
CC_ASSERT_AT(timeStep, 52876);
CC_ASSERT_AT(lastFrameTime, 52880);
CC_ASSERT_AT(timeScale, 52884);
CC_ASSERT_AT(pixelFormat, 52888);
CC_ASSERT_AT(chunkSize, 52892);
CC_ASSERT_AT(bytesNow, 52896);
CC_ASSERT_AT(bytesToSend, 52900);
CC_ASSERT_AT(readPosition, 52904);
CC_ASSERT_AT(pixelAspect, 52912);
CC_ASSERT_AT(hostSerial, 52916);
CC_ASSERT_AT(zero52924, 52924);
CC_ASSERT_AT(hostCreator, 52928);
CC_ASSERT_AT(frameRequest, 52932);
CC_ASSERT_AT(frameAnswer, 52936);
CC_ASSERT_AT(zero52940, 52940);
CC_ASSERT_AT(linearization, 52944);
CC_ASSERT_AT(requestsByMessage, 52976);
CC_ASSERT_AT(settings, 52980);
CC_ASSERT_AT(zero86536, 86536);
CC_ASSERT_AT(frameData, kCCFrameDataOffset);
#undef CC_ASSERT_AT
static_assert(sizeof(CCUIComm) == kCCHeaderBytes);
static_assert(sizeof(void*) == 8 ? sizeof(CCUIComm) == 86568 : sizeof(CCUIComm) == 86564,
              "the 64-bit block's header is 86,568 bytes, the 32-bit block's 86,564");
static_assert(kCCAttachBytes <= kCCHeaderBytes);

// The segment key of the exchange: 'VLc3', unless the environment variable
// VELMORA_SHM_KEY gives another (decimal, 0x hexadecimal, or four characters),
// so that tests and parallel sessions keep to private segments.
int32_t CCExchangeKey();
constexpr const char* kCCKeyVariable = "VELMORA_SHM_KEY";

// An attached block as one side sees it: the mapping, the segment's real
// size, and whether the writer's byte order is the other one.
struct CCView {
  CCUIComm* block = nullptr;
  size_t segmentBytes = 0;
  bool swapped = false;
};

// 32-bit field at a 4-aligned header offset, turned to native order.
uint32_t CCGet32(const CCView& v, size_t offset);
void CCSet32(const CCView& v, size_t offset, uint32_t value);
#define CC_OFFSET(field) offsetof(CCUIComm, field)

// Reverses every 32-bit word of the buffer (byteCount / 4 words).
void CCTurnWords(void* buffer, size_t byteCount);

// The frame geometry of a block, checked: width, height and row bytes
// positive, row bytes holding a row of the pixel format, the frame no larger
// than 2 GB, the chunk size a whole number of rows that fits the segment.
struct CCGeometry {
  int32_t width = 0;
  int32_t height = 0;
  int32_t rowBytes = 0;
  uint32_t pixelFormat = 0;
  uint32_t chunkSize = 0;
  size_t frameBytes = 0;       // rowBytes x height
  size_t dataCapacity = 0;     // bytes of frame data the segment holds
};
QVStatus CCReadGeometry(const CCView& v, CCGeometry* g);

// The bytes in the block now, checked against the geometry and the segment:
// kQVErrParam when they exceed the data capacity or `limit`.
QVStatus CCBytesNow(const CCView& v, const CCGeometry& g, size_t limit, size_t* bytes);

// The correction in the block, turned to native order; and back.
void CCReadSettings(const CCView& v, VL_SettingsStruct* out);
void CCWriteSettings(const CCView& v, const VL_SettingsStruct* in);
