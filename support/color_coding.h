// How colours are coded as numbers: the matrices between R'G'B' and luma with
// two colour-difference axes, and the rounding rules between integer codes
// and floats. Every conversion in the engine and the support library takes
// its coefficients from here; code that runs in single precision uses
// float(k), which is the float the same decimal literal would give.
//
// Rounding rules (byte-exact output depends on them):
// - 8-bit to float multiplies by k8 = 0.003921569 (1/255 as a float).
// - float to 8-bit adds 1/512, clamps to 0..1, multiplies by 255 and truncates,
//   so 0.5 gives 127 and 128/255 gives 128; every byte survives a round trip.
// - u16 A, R, G, B (full scale 32768) to float multiplies by 2^-15 and clamps to
//   0..1; back it clamps to 0..1, multiplies by 32768 and truncates (exact).
// - float to any integer code clamps first; NaN always lands on the low end.
// - The evaluation order of each expression is part of the result: sums run
//   left to right as the coefficients are listed (luma: R, then G, then B).
#pragma once

// Luma and two colour-difference axes (first: U or Cb, second: V or Cr) as
// weights on R', G', B', and the way back from them. The inverse's zero
// entries are left out: R' = Y' + rFromSecond x second,
// G' = Y' + gFromFirst x first + gFromSecond x second, B' = Y' + bFromFirst x first.
struct QVLumaChromaCoding {
  double yR, yG, yB;
  double firstR, firstG, firstB;
  double secondR, secondG, secondB;
  double rFromSecond, gFromFirst, gFromSecond, bFromFirst;
};

// Rec. 601 luma with the Y'UV axes: the pass's hue rotations, hue offsets,
// secondary keys and limiter work in these.
inline constexpr QVLumaChromaCoding kQVYUV = {
    0.299,     0.587,     0.114,      -0.147407, -0.289391, 0.436798, 0.614777,
    -0.514799, -0.099978, 1.140251,   -0.393931, -0.580809, 2.028398};

// The V axis as secondary key colours and hue-offset targets are built: its
// green weight is 0.5147996, not kQVYUV's 0.514799. Stored corrections were
// keyed with it, so it stays.
inline constexpr double kQVKeyVFromG = -0.5147996;

// Rec. 601 Y'CbCr at full range: the pass's Y'CbCr gains, pedestals and gammas.
inline constexpr QVLumaChromaCoding kQVYCbCr601 = {
    0.299,     0.587,     0.114, -0.168736, -0.331264, 0.5,  0.5,
    -0.418688, -0.081312, 1.402, -0.344136, -0.714136, 1.772};

// Rec. 601 Y'CbCr at video range, in 8-bit code steps over 255: the forward
// rows give Y' - 16/255, Cb - 128/255 and Cr - 128/255 of R'G'B' in 0..1. The
// way back takes Y' as (Y' code - 16) x kQVVideoLumaScale and Cb, Cr as their
// codes less 128, and gives R'G'B' x 255.
inline constexpr QVLumaChromaCoding kQVYCbCr601Video = {
    0.25678906,  0.50412893,  0.09790625, -0.14822266, -0.2909922,  0.43921483, 0.43921483,
    -0.36778906, -0.07142578, 1.5960274,  -0.39176172, -0.81296875, 2.0172305};
inline constexpr double kQVVideoLumaScale = 1.1643828;  // 255 / 219: video-range luma to full range

// Rec. 709 Y'CbCr, the way back only, with the luma and chroma of a 0..1
// video-range float layout first spread to full range by
// kQVVideoLumaScale709 and kQVVideoChromaScale709 around kQVVideoChromaZero.
inline constexpr double kQVYCbCr709RFromCr = 1.5748, kQVYCbCr709GFromCb = -0.187324,
                        kQVYCbCr709GFromCr = -0.468124, kQVYCbCr709BFromCb = 1.8556;
inline constexpr double kQVVideoLumaScale709 = 1.1643835;    // 255 / 219, as that layout rounds it
inline constexpr double kQVVideoChromaScale709 = 1.1383929;  // 255 / 224
inline constexpr double kQVVideoChromaZero = 0.5019608;      // 128 / 255
