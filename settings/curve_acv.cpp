// Curves files (.acv).
//
// All integers are 16-bit big-endian:
//   version      1 when written; 1 or 4 read
//   curve count  5 when written; the first four are read (master, red, green, blue)
//   per curve:   point count, then per point the output and the input value, 0..255
//
// Written: the four curves, then a fifth of two points (0, 0) and (255, 255).
// The default curves give these 44 bytes:
//   00 01 00 05
//   00 02 00 00 00 00 00 FF 00 FF      master: (0, 0) and (255, 255)
//   ... the same for red, green, blue and the fifth curve
//
// Read: every curve needs 2 to 16 points with inputs strictly increasing; a
// file that does not hold all its points is refused whole. A point becomes
// x = input / 255, y = output / 255, and a curve that was a map becomes a
// point curve. A map curve is written as 16 points sampled from its map.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/byte_order.h"
#include "platform/file_contents.h"
#include "settings/curve_files.h"

namespace {

constexpr size_t kMaxACVBytes = 1u << 20;

void Put16(std::string* out, int v) {
  uint8_t be[2];
  QVWriteBE16(be, uint16_t(v));
  out->append(reinterpret_cast<const char*>(be), 2);
}

int Code(float value) {
  if (!(value > 0.0f)) return 0;
  return value >= 1.0f ? 255 : int(255.0f * value);
}

void PutPoints(std::string* out, const float* x, const float* y, int count) {
  Put16(out, count);
  for (int i = 0; i < count; ++i) {
    Put16(out, Code(y[i]));
    Put16(out, Code(x[i]));
  }
}

void PutCurve(std::string* out, const VL_CurveControls& c) {
  float x[kVLCurveMaxPoints], y[kVLCurveMaxPoints];
  if (c.modeFlags & kVLCurveModeMap) {
    for (int i = 0; i < kVLCurveMaxPoints; ++i) {
      x[i] = float(i) / float(kVLCurveMaxPoints - 1);
      y[i] = c.map[(i * (kVLCurveMapCount - 1)) / (kVLCurveMaxPoints - 1)];
    }
    PutPoints(out, x, y, kVLCurveMaxPoints);
  } else if (c.spline.pointCount >= 2 && c.spline.pointCount <= uint32_t(kVLCurveMaxPoints)) {
    PutPoints(out, c.spline.x, c.spline.y, int(c.spline.pointCount));
  } else {
    const float ends[2] = {0.0f, 1.0f};
    PutPoints(out, ends, ends, 2);
  }
}

}  // namespace

std::string CurveACVBytes(const VL_CurveControls* curves) {
  std::string out;
  Put16(&out, 1);
  Put16(&out, 5);
  for (int k = 0; k < 4; ++k) PutCurve(&out, curves[k]);
  const float ends[2] = {0.0f, 1.0f};
  PutPoints(&out, ends, ends, 2);
  return out;
}

QVStatus CurveWriteACV(const char* path, const VL_CurveControls* curves) {
  if (!path || !curves) return kQVErrParam;
  std::string bytes = CurveACVBytes(curves);
  return PLReplaceFileContents(path, bytes.data(), bytes.size());
}

QVStatus CurveParseACV(const std::string& bytes, VL_CurveControls* curves) {
  const uint8_t* p = reinterpret_cast<const uint8_t*>(bytes.data());
  const size_t size = bytes.size();
  if (size < 4) return kQVErrEndOfFile;
  uint16_t version = QVReadBE16(p);
  int16_t count = int16_t(QVReadBE16(p + 2));
  if (version != 1 && version != 4) return kQVErrIO;
  if (count <= 0) return kQVErrIO;
  const int curvesRead = std::min<int>(count, 4);
  struct Points {
    int n;
    float x[kVLCurveMaxPoints], y[kVLCurveMaxPoints];
  } read[4];
  size_t at = 4;
  for (int k = 0; k < curvesRead; ++k) {
    if (size - at < 2) return kQVErrEndOfFile;
    int n = int16_t(QVReadBE16(p + at));
    at += 2;
    if (n < 2 || n > kVLCurveMaxPoints) return kQVErrIO;
    if (size - at < size_t(n) * 4) return kQVErrEndOfFile;
    read[k].n = n;
    for (int i = 0; i < n; ++i, at += 4) {
      uint16_t output = QVReadBE16(p + at), input = QVReadBE16(p + at + 2);
      if (output > 255 || input > 255) return kQVErrIO;
      if (i > 0 && float(input) / 255.0f <= read[k].x[i - 1]) return kQVErrIO;
      read[k].x[i] = float(input) / 255.0f;
      read[k].y[i] = float(output) / 255.0f;
    }
  }
  for (int k = 0; k < curvesRead; ++k) {
    VL_CurveControls& c = curves[k];
    c.modeFlags &= ~kVLCurveModeMap;
    std::memset(&c.spline, 0, sizeof c.spline);
    c.spline.pointCount = uint32_t(read[k].n);
    std::memcpy(c.spline.x, read[k].x, sizeof(float) * size_t(read[k].n));
    std::memcpy(c.spline.y, read[k].y, sizeof(float) * size_t(read[k].n));
  }
  return kQVNoErr;
}

QVStatus CurveReadACV(const char* path, VL_CurveControls* curves) {
  if (!path || !curves) return kQVErrParam;
  std::string bytes;
  QVStatus status = PLReadFileContents(path, kMaxACVBytes, &bytes);
  if (status != kQVNoErr) return status == kQVErrParam ? kQVErrIO : status;
  return CurveParseACV(bytes, curves);
}
