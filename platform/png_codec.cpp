// PNG file layout as read and written here:
//   8-byte signature 89 50 4E 47 0D 0A 1A 0A, then chunks: a 4-byte big-endian
//   length, a 4-byte type, the data, and a CRC-32 of type and data.
//   IHDR (13 bytes): width, height (big-endian 32-bit), bit depth, colour type
//   (0 grey, 2 RGB, 3 palette, 4 grey+alpha, 6 RGBA), compression 0, filter 0,
//   interlace 0 or 1 (Adam7). PLTE: RGB triples. tRNS: palette alphas, or
//   the one transparent grey or RGB sample. IDAT: together one zlib stream
//   (2-byte header, deflate blocks, Adler-32) of the filtered rows, each row
//   led by its filter byte (0 none, 1 sub, 2 up, 3 average, 4 Paeth). IEND.
#include "platform/png_codec.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>

namespace {

const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

uint32_t Be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

const std::array<uint32_t, 256>& CrcTable() {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  return table;
}

uint32_t Crc32(const uint8_t* p, size_t n, uint32_t crc = 0) {
  const auto& t = CrcTable();
  crc = ~crc;
  for (size_t i = 0; i < n; ++i) crc = t[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

uint32_t Adler32(const uint8_t* p, size_t n) {
  uint32_t a = 1, b = 0;
  for (size_t i = 0; i < n; ++i) {
    a = (a + p[i]) % 65521;
    b = (b + a) % 65521;
  }
  return b << 16 | a;
}

// ---------------------------------------------------------------------------
// Inflate (RFC 1951): stored, fixed and dynamic Huffman blocks.

class Inflater {
 public:
  Inflater(const uint8_t* data, size_t size, std::vector<uint8_t>* out, size_t limit)
      : in_(data), size_(size), out_(out), limit_(limit) {}

  bool run() {
    for (;;) {
      int final = bits(1);
      int type = bits(2);
      if (bad_) return false;
      bool ok = type == 0 ? stored() : type == 1 ? fixed() : type == 2 ? dynamic() : false;
      if (!ok || bad_) return false;
      if (final) return true;
    }
  }
  size_t consumed() const { return pos_; }

 private:
  struct Huffman {
    std::array<uint16_t, 16> counts{};
    std::array<uint16_t, 320> symbols{};
  };

  const uint8_t* in_;
  size_t size_;
  size_t pos_ = 0;
  uint32_t bitBuf_ = 0;
  int bitCount_ = 0;
  bool bad_ = false;
  std::vector<uint8_t>* out_;
  size_t limit_;

  int bits(int n) {
    while (bitCount_ < n) {
      if (pos_ >= size_) {
        bad_ = true;
        return 0;
      }
      bitBuf_ |= uint32_t(in_[pos_++]) << bitCount_;
      bitCount_ += 8;
    }
    int v = int(bitBuf_ & ((1u << n) - 1));
    bitBuf_ >>= n;
    bitCount_ -= n;
    return v;
  }

  // False when the code lengths over-subscribe the code space.
  static bool build(Huffman* h, const uint8_t* lengths, int n) {
    h->counts.fill(0);
    for (int i = 0; i < n; ++i) ++h->counts[lengths[i]];
    h->counts[0] = 0;
    int left = 1;
    for (int len = 1; len < 16; ++len) {
      left <<= 1;
      left -= h->counts[len];
      if (left < 0) return false;
    }
    std::array<uint16_t, 16> offs{};
    for (int len = 1; len < 15; ++len) offs[len + 1] = uint16_t(offs[len] + h->counts[len]);
    for (int i = 0; i < n; ++i)
      if (lengths[i]) h->symbols[offs[lengths[i]]++] = uint16_t(i);
    return true;
  }

  int decode(const Huffman& h) {
    int code = 0, first = 0, index = 0;
    for (int len = 1; len < 16; ++len) {
      code |= bits(1);
      if (bad_) return -1;
      int count = h.counts[len];
      if (code - count < first) return h.symbols[index + (code - first)];
      index += count;
      first += count;
      first <<= 1;
      code <<= 1;
    }
    bad_ = true;
    return -1;
  }

  bool put(uint8_t b) {
    if (out_->size() >= limit_) return false;
    out_->push_back(b);
    return true;
  }

  bool stored() {
    bitBuf_ = 0;
    bitCount_ = 0;
    if (size_ - pos_ < 4) return false;
    uint32_t len = in_[pos_] | uint32_t(in_[pos_ + 1]) << 8;
    uint32_t nlen = in_[pos_ + 2] | uint32_t(in_[pos_ + 3]) << 8;
    pos_ += 4;
    if (len != (~nlen & 0xFFFF) || size_ - pos_ < len || out_->size() + len > limit_) return false;
    out_->insert(out_->end(), in_ + pos_, in_ + pos_ + len);
    pos_ += len;
    return true;
  }

  bool codes(const Huffman& lit, const Huffman& dist) {
    static const uint16_t kLenBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                          31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
    static const uint8_t kLenExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                          2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
    static const uint16_t kDistBase[30] = {1,   2,   3,   4,   5,   7,    9,    13,   17,   25,
                                           33,  49,  65,  97,  129, 193,  257,  385,  513,  769,
                                           1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
    static const uint8_t kDistExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                           6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
    for (;;) {
      int sym = decode(lit);
      if (sym < 0) return false;
      if (sym < 256) {
        if (!put(uint8_t(sym))) return false;
      } else if (sym == 256) {
        return true;
      } else {
        sym -= 257;
        if (sym >= 29) return false;
        size_t len = kLenBase[sym] + size_t(bits(kLenExtra[sym]));
        int d = decode(dist);
        if (d < 0 || d >= 30) return false;
        size_t distance = kDistBase[d] + size_t(bits(kDistExtra[d]));
        if (bad_ || distance > out_->size() || out_->size() + len > limit_) return false;
        size_t from = out_->size() - distance;
        for (size_t i = 0; i < len; ++i) out_->push_back((*out_)[from + i]);
      }
    }
  }

  bool fixed() {
    static const std::pair<Huffman, Huffman> tables = [] {
      std::pair<Huffman, Huffman> t;
      uint8_t lengths[288];
      for (int i = 0; i < 144; ++i) lengths[i] = 8;
      for (int i = 144; i < 256; ++i) lengths[i] = 9;
      for (int i = 256; i < 280; ++i) lengths[i] = 7;
      for (int i = 280; i < 288; ++i) lengths[i] = 8;
      build(&t.first, lengths, 288);
      for (int i = 0; i < 30; ++i) lengths[i] = 5;
      build(&t.second, lengths, 30);
      return t;
    }();
    return codes(tables.first, tables.second);
  }

  bool dynamic() {
    static const uint8_t kOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
    int nlen = bits(5) + 257, ndist = bits(5) + 1, ncode = bits(4) + 4;
    if (bad_ || nlen > 286 || ndist > 30) return false;
    uint8_t lengths[320] = {};
    for (int i = 0; i < ncode; ++i) lengths[kOrder[i]] = uint8_t(bits(3));
    Huffman lencode, lit, dist;
    if (!build(&lencode, lengths, 19)) return false;
    int index = 0;
    while (index < nlen + ndist) {
      int sym = decode(lencode);
      if (sym < 0) return false;
      if (sym < 16) {
        lengths[index++] = uint8_t(sym);
        continue;
      }
      uint8_t len = 0;
      int repeat = 0;
      if (sym == 16) {
        if (index == 0) return false;
        len = lengths[index - 1];
        repeat = 3 + bits(2);
      } else if (sym == 17) {
        repeat = 3 + bits(3);
      } else {
        repeat = 11 + bits(7);
      }
      if (bad_ || index + repeat > nlen + ndist) return false;
      while (repeat--) lengths[index++] = len;
    }
    if (lengths[256] == 0) return false;
    if (!build(&lit, lengths, nlen) || !build(&dist, lengths + nlen, ndist)) return false;
    return codes(lit, dist);
  }
};

// ---------------------------------------------------------------------------

struct Header {
  uint32_t width = 0, height = 0;
  int depth = 0, colour = 0, interlace = 0;
};

int Channels(int colour) { return colour == 0 ? 1 : colour == 2 ? 3 : colour == 3 ? 1 : colour == 4 ? 2 : 4; }

bool ValidDepth(int colour, int depth) {
  switch (colour) {
    case 0: return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3: return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case 2: case 4: case 6: return depth == 8 || depth == 16;
  }
  return false;
}

bool ReadHeader(const uint8_t* data, size_t size, Header* h, std::string* why) {
  if (size < 8 || std::memcmp(data, kSignature, 8) != 0) {
    *why = "not a PNG file";
    return false;
  }
  if (size < 33 || Be32(data + 8) != 13 || std::memcmp(data + 12, "IHDR", 4) != 0 ||
      Crc32(data + 12, 17) != Be32(data + 29)) {
    *why = "damaged PNG";
    return false;
  }
  const uint8_t* p = data + 16;
  h->width = Be32(p);
  h->height = Be32(p + 4);
  h->depth = p[8];
  h->colour = p[9];
  h->interlace = p[12];
  if (!ValidDepth(h->colour, h->depth) || p[10] != 0 || p[11] != 0 || h->interlace > 1) {
    *why = "damaged PNG";
    return false;
  }
  if (h->width == 0 || h->height == 0 || h->width > uint32_t(kPLPngMaxSide) || h->height > uint32_t(kPLPngMaxSide)) {
    *why = "unsupported frame size";
    return false;
  }
  return true;
}

uint8_t Paeth(int a, int b, int c) {
  int p = a + b - c, pa = p > a ? p - a : a - p, pb = p > b ? p - b : b - p, pc = p > c ? p - c : c - p;
  return uint8_t(pa <= pb && pa <= pc ? a : pb <= pc ? b : c);
}

// Undoes the row filters of one pass in place; false on an unknown filter.
bool Unfilter(uint8_t* rows, size_t rowBytes, uint32_t height, size_t bpp) {
  for (uint32_t y = 0; y < height; ++y) {
    uint8_t* row = rows + y * (rowBytes + 1);
    uint8_t filter = row[0];
    uint8_t* cur = row + 1;
    const uint8_t* prev = y ? cur - (rowBytes + 1) : nullptr;
    for (size_t i = 0; i < rowBytes; ++i) {
      int a = i >= bpp ? cur[i - bpp] : 0, b = prev ? prev[i] : 0, c = (prev && i >= bpp) ? prev[i - bpp] : 0;
      switch (filter) {
        case 0: break;
        case 1: cur[i] = uint8_t(cur[i] + a); break;
        case 2: cur[i] = uint8_t(cur[i] + b); break;
        case 3: cur[i] = uint8_t(cur[i] + ((a + b) >> 1)); break;
        case 4: cur[i] = uint8_t(cur[i] + Paeth(a, b, c)); break;
        default: return false;
      }
    }
  }
  return true;
}

}  // namespace

bool PLPngReadSize(const uint8_t* data, size_t size, int32_t* width, int32_t* height, std::string* why) {
  Header h;
  if (!ReadHeader(data, size, &h, why)) return false;
  *width = int32_t(h.width);
  *height = int32_t(h.height);
  return true;
}

namespace {

bool Decode(const uint8_t* data, size_t size, PLPngImage* image, std::string* why) {
  Header h;
  if (!ReadHeader(data, size, &h, why)) return false;
  *why = "damaged PNG";
  // The chunks: the compressed rows gathered, the palette and transparency kept.
  std::vector<uint8_t> compressed;
  std::vector<uint8_t> palette, alphas;
  bool ended = false;
  for (size_t p = 33; p < size && !ended;) {
    if (size - p < 12) return false;
    uint32_t len = Be32(data + p);
    if (len > size - p - 12) return false;
    const uint8_t* type = data + p + 4;
    const uint8_t* body = data + p + 8;
    if (Crc32(type, size_t(len) + 4) != Be32(body + len)) return false;
    if (std::memcmp(type, "IDAT", 4) == 0) compressed.insert(compressed.end(), body, body + len);
    else if (std::memcmp(type, "PLTE", 4) == 0) palette.assign(body, body + len);
    else if (std::memcmp(type, "tRNS", 4) == 0) alphas.assign(body, body + len);
    else if (std::memcmp(type, "IEND", 4) == 0) ended = true;
    else if (!(type[0] & 0x20)) return false;  // a critical chunk we do not know
    p += size_t(len) + 12;
  }
  if (!ended || compressed.size() < 6 || (h.colour == 3 && (palette.empty() || palette.size() % 3))) return false;
  if ((compressed[0] & 0x0F) != 8 || ((compressed[0] << 8) | compressed[1]) % 31 != 0 || (compressed[1] & 0x20))
    return false;

  // The passes: one for a plain picture, seven for Adam7.
  struct Pass {
    uint32_t x0, y0, dx, dy;
  };
  static const Pass kPlain[1] = {{0, 0, 1, 1}};
  static const Pass kAdam7[7] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                 {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
  const Pass* passes = h.interlace ? kAdam7 : kPlain;
  const int passCount = h.interlace ? 7 : 1;
  const size_t channels = size_t(Channels(h.colour));
  const size_t bitsPerPixel = channels * size_t(h.depth);
  const size_t bpp = (bitsPerPixel + 7) / 8;
  size_t expected = 0;
  for (int i = 0; i < passCount; ++i) {
    const Pass& ps = passes[i];
    size_t w = h.width > ps.x0 ? (h.width - ps.x0 + ps.dx - 1) / ps.dx : 0;
    size_t hh = h.height > ps.y0 ? (h.height - ps.y0 + ps.dy - 1) / ps.dy : 0;
    if (w && hh) expected += hh * ((w * bitsPerPixel + 7) / 8 + 1);
  }
  // The rows grow as the stream gives them (never ahead of the data, so a
  // header claiming a huge picture costs nothing until its rows are there).
  std::vector<uint8_t> raw;
  Inflater inflater(compressed.data() + 2, compressed.size() - 2, &raw, expected);
  if (!inflater.run() || raw.size() != expected) return false;
  if (compressed.size() - 2 - inflater.consumed() < 4 ||
      Be32(compressed.data() + 2 + inflater.consumed()) != Adler32(raw.data(), raw.size()))
    return false;

  PLPngImage out;
  out.width = int32_t(h.width);
  out.height = int32_t(h.height);
  out.bits = h.depth == 16 ? 16 : 8;
  out.samples.assign(size_t(h.width) * h.height * 4, 0);
  const uint32_t full = h.depth == 16 ? 65535 : 255;
  const uint32_t maxSample = (1u << h.depth) - 1;
  size_t offset = 0;
  for (int i = 0; i < passCount; ++i) {
    const Pass& ps = passes[i];
    uint32_t w = h.width > ps.x0 ? (h.width - ps.x0 + ps.dx - 1) / ps.dx : 0;
    uint32_t hh = h.height > ps.y0 ? (h.height - ps.y0 + ps.dy - 1) / ps.dy : 0;
    if (!w || !hh) continue;
    size_t rowBytes = (size_t(w) * bitsPerPixel + 7) / 8;
    uint8_t* rows = raw.data() + offset;
    offset += size_t(hh) * (rowBytes + 1);
    if (!Unfilter(rows, rowBytes, hh, bpp)) return false;
    for (uint32_t y = 0; y < hh; ++y) {
      const uint8_t* row = rows + size_t(y) * (rowBytes + 1) + 1;
      for (uint32_t x = 0; x < w; ++x) {
        uint32_t s[4] = {0, 0, 0, full};
        for (size_t c = 0; c < channels; ++c) {
          size_t bit = (size_t(x) * channels + c) * size_t(h.depth);
          uint32_t v;
          if (h.depth == 16) v = uint32_t(row[bit / 8]) << 8 | row[bit / 8 + 1];
          else if (h.depth == 8) v = row[bit / 8];
          else v = (row[bit / 8] >> (8 - h.depth - bit % 8)) & maxSample;
          s[c] = v;
        }
        uint32_t rgba[4];
        if (h.colour == 3) {
          if (size_t(s[0]) * 3 + 2 >= palette.size()) return false;
          for (int k = 0; k < 3; ++k) rgba[k] = palette[s[0] * 3 + size_t(k)];
          rgba[3] = s[0] < alphas.size() ? alphas[s[0]] : 255;
        } else if (h.colour == 0 || h.colour == 4) {
          uint32_t g = h.depth < 8 ? s[0] * 255 / maxSample : s[0];
          rgba[0] = rgba[1] = rgba[2] = g;
          rgba[3] = h.colour == 4 ? s[1] : full;
          if (h.colour == 0 && alphas.size() >= 2 && s[0] == (uint32_t(alphas[0]) << 8 | alphas[1])) rgba[3] = 0;
        } else {
          for (int k = 0; k < 3; ++k) rgba[k] = s[k];
          rgba[3] = h.colour == 6 ? s[3] : full;
          if (h.colour == 2 && alphas.size() >= 6 && s[0] == (uint32_t(alphas[0]) << 8 | alphas[1]) &&
              s[1] == (uint32_t(alphas[2]) << 8 | alphas[3]) && s[2] == (uint32_t(alphas[4]) << 8 | alphas[5]))
            rgba[3] = 0;
        }
        size_t px = (size_t(ps.y0 + y * ps.dy) * h.width + ps.x0 + x * ps.dx) * 4;
        for (int k = 0; k < 4; ++k) out.samples[px + size_t(k)] = uint16_t(rgba[k]);
      }
    }
  }
  *image = std::move(out);
  why->clear();
  return true;
}

}  // namespace

bool PLPngDecode(const uint8_t* data, size_t size, PLPngImage* image, std::string* why) {
  try {
    return Decode(data, size, image, why);
  } catch (const std::bad_alloc&) {
    *why = "out of memory";
    return false;
  }
}

std::vector<uint8_t> PLPngEncode(const PLPngImage& image) {
  if (image.width <= 0 || image.height <= 0 || image.width > kPLPngMaxSide || image.height > kPLPngMaxSide ||
      (image.bits != 8 && image.bits != 16) ||
      image.samples.size() != size_t(image.width) * size_t(image.height) * 4)
    return {};
  const size_t bytesPerSample = size_t(image.bits / 8);
  const size_t rowBytes = size_t(image.width) * 4 * bytesPerSample + 1;
  std::vector<uint8_t> raw;
  raw.reserve(rowBytes * size_t(image.height));
  for (int32_t y = 0; y < image.height; ++y) {
    raw.push_back(0);
    const uint16_t* src = image.samples.data() + size_t(y) * size_t(image.width) * 4;
    for (size_t i = 0; i < size_t(image.width) * 4; ++i) {
      if (image.bits == 8) {
        raw.push_back(uint8_t(src[i] > 255 ? 255 : src[i]));
      } else {
        raw.push_back(uint8_t(src[i] >> 8));
        raw.push_back(uint8_t(src[i]));
      }
    }
  }
  std::vector<uint8_t> file(kSignature, kSignature + 8);
  auto put32 = [](std::vector<uint8_t>* v, uint32_t x) {
    for (int s = 24; s >= 0; s -= 8) v->push_back(uint8_t(x >> s));
  };
  auto chunk = [&](const char* type, const std::vector<uint8_t>& body) {
    put32(&file, uint32_t(body.size()));
    size_t start = file.size();
    file.insert(file.end(), type, type + 4);
    file.insert(file.end(), body.begin(), body.end());
    put32(&file, Crc32(file.data() + start, file.size() - start));
  };
  std::vector<uint8_t> ihdr;
  put32(&ihdr, uint32_t(image.width));
  put32(&ihdr, uint32_t(image.height));
  ihdr.insert(ihdr.end(), {uint8_t(image.bits), 6, 0, 0, 0});
  chunk("IHDR", ihdr);
  // zlib header (deflate, 32 KiB window, no dictionary), stored blocks of at
  // most 65,535 bytes, Adler-32 of the rows.
  std::vector<uint8_t> z = {0x78, 0x01};
  for (size_t p = 0; p < raw.size() || p == 0;) {
    size_t n = std::min<size_t>(raw.size() - p, 65535);
    bool last = p + n == raw.size();
    z.push_back(last ? 1 : 0);
    z.push_back(uint8_t(n));
    z.push_back(uint8_t(n >> 8));
    z.push_back(uint8_t(~n));
    z.push_back(uint8_t(~n >> 8));
    z.insert(z.end(), raw.begin() + std::ptrdiff_t(p), raw.begin() + std::ptrdiff_t(p + n));
    p += n;
    if (last) break;
  }
  put32(&z, Adler32(raw.data(), raw.size()));
  chunk("IDAT", z);
  chunk("IEND", {});
  return file;
}
