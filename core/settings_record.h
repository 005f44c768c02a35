// The correction settings record: the whole correction as one fixed record of
// 8,389 32-bit words (33,556 bytes), in the processor's native byte order.
//
// The record is copied byte for byte between programs, into shared memory, the
// undo ring, saved slots, gallery items and the scrap, so its byte layout is a
// format: every offset below is fixed and asserted. Every field is 32 bits: "u32"
// fields are integers (enables are 0 or non-zero, choices small integers), the
// others IEEE single-precision floats. Word 0 is the byte-order flag 0x12343210;
// read through the other byte order it shows 0x10323412.
//
// Range records come in the order master, highlights, midtones, shadows
// (index with kVLRangeMaster ... kVLRangeShadows).
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

constexpr uint32_t kVLSettingsByteOrderFlag = 0x12343210u;
constexpr uint32_t kVLSettingsByteOrderFlagSwapped = 0x10323412u;
constexpr int kVLSettingsWordCount = 8389;
constexpr int kVLSettingsByteCount = 33556;

// Order of the four range records in the HSL, RGB, YCbCr and CMY sections.
enum : int { kVLRangeMaster = 0, kVLRangeHighlights = 1, kVLRangeMidtones = 2, kVLRangeShadows = 3 };

// 40 bytes.
struct VL_HSLControls {
  uint32_t enable;  // range enable
  float hue;
  float saturation;  // percent
  float vibrance;
  float brightness;
  float contrast;
  float contrastCenter;
  float gain;
  float gamma;
  float pedestal;
};

// Gain, gamma and pedestal of one colour channel.
struct VL_ChannelControls {
  float gain;
  float gamma;
  float ped;
};

// 52 bytes; one shape for RGB (channels r, g, b), YCbCr (y, cb, cr) and CMY (c, m, y).
struct VL_PrimaryControls {
  uint32_t enable;  // range enable
  float gain;       // the range's own gain, gamma and pedestal
  float gamma;
  float pedestal;
  VL_ChannelControls channel[3];
};
using VL_RGBControls = VL_PrimaryControls;
using VL_YCbCrControls = VL_PrimaryControls;
using VL_CMYControls = VL_PrimaryControls;

// One hue-offset wheel: the wheel word is kept for the editors; angle in degrees.
struct VL_HueWheelControls {
  uint32_t huewheel;
  float tintangle;
  float strength;
};

// Order of the four wheels of VL_HSLOffsetControls.
enum : int { kVLWheelMaster = 0, kVLWheelShadow = 1, kVLWheelMidtone = 2, kVLWheelHighlight = 3 };

// 52 bytes.
struct VL_HSLOffsetControls {
  uint32_t word0;  // no field name; reset to 0
  VL_HueWheelControls wheel[4];
};

// Order of the five VL_LevelControls records.
enum : int { kVLLevelsMaster = 0, kVLLevelsRed = 1, kVLLevelsGreen = 2, kVLLevelsBlue = 3, kVLLevelsLuma = 4 };

// 32 bytes.
struct VL_LevelControls {
  uint32_t word0;  // kept by the reset
  uint32_t enable;  // channel enable
  float inblackpt;
  float ingraypt;
  float inwhitept;
  float outblackpt;
  float outgraypt;
  float outwhitept;
};

constexpr int kVLCurveMaxPoints = 16;
constexpr int kVLCurveMapCount = 1024;
constexpr uint32_t kVLCurveModeMap = 1u;  // mode flags bit 0: the curve is an arbitrary map

struct VL_CurveSpline {
  uint32_t pointCount;  // 2 to 16
  float x[kVLCurveMaxPoints];  // increasing, all in 0..1
  float y[kVLCurveMaxPoints];
};

// 4,108 bytes = 1,027 words. The map overlays the spline fields.
struct VL_CurveControls {
  uint32_t word0;  // kept by the reset, not read by the table builder
  uint32_t word1;
  uint32_t modeFlags;
  union {
    VL_CurveSpline spline;
    float map[kVLCurveMapCount];
  };
};

// Order of the RGB and HSL curve records.
enum : int { kVLCurveMaster = 0, kVLCurveRed = 1, kVLCurveGreen = 2, kVLCurveBlue = 3 };
enum : int { kVLCurveHue = 0, kVLCurveSaturation = 1, kVLCurveLuma = 2 };

// 12 bytes; kept and copied unchanged.
struct VL_CurvePoints {
  uint32_t word[3];
};

// 24 bytes: the control points of the shadow and highlight range curves.
struct VL_LumaRangeControls {
  uint32_t word0;  // kept by the reset
  uint32_t word1;
  float lumarange_shadowx;
  float lumarange_shadowy;
  float lumarange_highlightx;
  float lumarange_highlighty;
};

// One key colour sample of a secondary.
struct VL_KeyColourSample {
  uint32_t inUse;
  float red;
  float green;
  float blue;
};

// 124 bytes.
struct VL_SecondaryControls {
  uint32_t enable;
  float lumatol;
  float chromatol;
  float softness;
  uint32_t preview;
  uint32_t previewMode;  // used only while preview is set
  uint32_t invert;
  float hue;
  float saturation;  // percent
  uint32_t hueoffset_huewheel;
  float hueoffset_tintangle;  // degrees
  float hueoffset_strength;
  VL_KeyColourSample sample[4];
  float gain;
  float gamma;
  float ped;
};

// A secondary's preview modes: what the rest of the picture shows beside the
// keyed selection. Other values change nothing.
enum VLSecondaryPreview : uint32_t {
  kVLPreviewCorrection = 0,  // preview off: the secondary's correction
  kVLPreviewGreyRest = 1,    // the selection keeps its colour, the rest turns grey
  kVLPreviewRedRest = 2,     // the rest is tinted red
  kVLPreviewMatte = 3,       // the key itself, white on black
};

// 48 bytes; the geometry editors give the words their meaning.
struct VL_SecondaryShape {
  uint32_t word[12];
};

// 460 bytes: a head of nineteen words and eight shape records.
struct VL_SecondaryGeometryControls {
  uint32_t head[19];
  VL_SecondaryShape shape[8];
};

// 40 bytes.
struct VL_LimiterControls {
  float limiter_chroma_max;
  float limiter_chroma_min;
  float limiter_luma_max;
  uint32_t limiter_softclip_enable;
  float limiter_softclip_knee;
  float limiter_softclip_white_level;
  float limiter_softclip_max_level;
  uint32_t limiter_clip_method;
  uint32_t limiter_system;  // the "Video System" preference
  float limiter_highlight_recovery;
};

// The limiter's "Limit Method" choices; any other value leaves lanes over a
// composite limit as they are.
enum VLLimitMethod : uint32_t {
  kVLLimitReduceChroma = 1,
  kVLLimitReduceLuma = 2,
  kVLLimitSmart = 3,  // part of the excess from chroma, then the rest by scaling
};

// 28 bytes, kept and stored as they are.
struct VL_SamplerControls {
  uint32_t word[7];
};

// 16 bytes.
struct VL_InputControls {
  float inputControls_highlight_recovery;
  float outputControls_highlight_recovery;
  uint32_t word2;
  uint32_t word3;
};

struct VL_SettingsStruct {
  uint32_t byteOrderFlag;  // kVLSettingsByteOrderFlag
  uint32_t hslEnable;
  uint32_t hslControlsEnable;
  VL_HSLControls hsl[4];
  uint32_t rgbEnable;
  VL_RGBControls rgb[4];
  uint32_t ycbcrEnable;
  VL_YCbCrControls ycbcr[4];
  uint32_t cmyEnable;
  VL_CMYControls cmy[4];
  uint32_t hueOffsetEnable;
  VL_HSLOffsetControls hueOffsets;
  uint32_t levelsEnable;
  VL_LevelControls levels[5];  // master, red, green, blue, luma
  uint32_t curvesEnable;
  uint32_t rgbCurvesEnable;
  VL_CurveControls rgbCurves[4];  // master, red, green, blue
  VL_CurvePoints curvePoints[3];
  uint32_t hslCurvesEnable;
  VL_CurveControls hslCurves[3];  // hue, saturation, luma
  uint32_t lumaRangesEnable;
  VL_LumaRangeControls lumaRanges;
  uint32_t secondaryEnable;
  uint32_t secondaryKeyerEnable;
  VL_SecondaryControls secondary[6];  // A to F
  uint32_t secondaryGeometryEnable;
  VL_SecondaryGeometryControls secondaryGeometry[6];  // A to F
  uint32_t limiter_enable;
  uint32_t limiter_preview;
  VL_LimiterControls limiter;
  VL_SamplerControls sampler;
  uint32_t untouched[7];  // no block, mask or table builder touches these
  uint32_t videoBlackLevel;  // video words, copied from the preferences
  uint32_t videoWhiteLevel;
  uint32_t videoMinLevel;
  uint32_t videoMaxLevel;
  uint32_t videoBlackSetup;
  uint32_t videoSystem;
  uint32_t linearizationOn;
  uint32_t linearizeVideoGamma;  // linearization kind: video gamma
  uint32_t linearizeLog;         // linearization kind: log
  uint32_t linearizeSelector3;
  uint32_t linearizeSelector4;
  float linearizationGamma;
  uint32_t logBlackPoint;  // 10-bit codes
  uint32_t logWhitePoint;
  uint32_t logOption;
  VL_InputControls input;
};

#define VL_ASSERT_AT(type, field, at) static_assert(offsetof(type, field) == (at), #type "." #field)

static_assert(sizeof(VL_HSLControls) == 40);
static_assert(sizeof(VL_PrimaryControls) == 52);
static_assert(sizeof(VL_HSLOffsetControls) == 52);
static_assert(sizeof(VL_LevelControls) == 32);
static_assert(sizeof(VL_CurveControls) == 4108);
static_assert(sizeof(VL_CurvePoints) == 12);
static_assert(sizeof(VL_LumaRangeControls) == 24);
static_assert(sizeof(VL_SecondaryControls) == 124);
static_assert(sizeof(VL_SecondaryGeometryControls) == 460);
static_assert(sizeof(VL_LimiterControls) == 40);
static_assert(sizeof(VL_SamplerControls) == 28);
static_assert(sizeof(VL_InputControls) == 16);
static_assert(sizeof(VL_SettingsStruct) == kVLSettingsByteCount);
// Copied byte for byte between programs and into shared memory.
static_assert(std::is_trivially_copyable_v<VL_SettingsStruct> && std::is_standard_layout_v<VL_SettingsStruct>);
static_assert(kVLSettingsByteCount == kVLSettingsWordCount * 4);

static_assert(sizeof(VL_ChannelControls) == 12);
static_assert(sizeof(VL_HueWheelControls) == 12);
static_assert(sizeof(VL_KeyColourSample) == 16);
static_assert(sizeof(VL_SecondaryShape) == 48);

VL_ASSERT_AT(VL_HSLControls, hue, 4);
VL_ASSERT_AT(VL_HSLControls, saturation, 8);
VL_ASSERT_AT(VL_HSLControls, vibrance, 12);
VL_ASSERT_AT(VL_HSLControls, brightness, 16);
VL_ASSERT_AT(VL_HSLControls, contrast, 20);
VL_ASSERT_AT(VL_HSLControls, contrastCenter, 24);
VL_ASSERT_AT(VL_HSLControls, gain, 28);
VL_ASSERT_AT(VL_HSLControls, gamma, 32);
VL_ASSERT_AT(VL_HSLControls, pedestal, 36);
VL_ASSERT_AT(VL_PrimaryControls, gain, 4);
VL_ASSERT_AT(VL_PrimaryControls, gamma, 8);
VL_ASSERT_AT(VL_PrimaryControls, pedestal, 12);
VL_ASSERT_AT(VL_PrimaryControls, channel[0].gain, 16);
VL_ASSERT_AT(VL_PrimaryControls, channel[0].gamma, 20);
VL_ASSERT_AT(VL_PrimaryControls, channel[0].ped, 24);
VL_ASSERT_AT(VL_PrimaryControls, channel[1].gain, 28);
VL_ASSERT_AT(VL_PrimaryControls, channel[1].gamma, 32);
VL_ASSERT_AT(VL_PrimaryControls, channel[1].ped, 36);
VL_ASSERT_AT(VL_PrimaryControls, channel[2].gain, 40);
VL_ASSERT_AT(VL_PrimaryControls, channel[2].gamma, 44);
VL_ASSERT_AT(VL_PrimaryControls, channel[2].ped, 48);
VL_ASSERT_AT(VL_HSLOffsetControls, wheel[0].huewheel, 4);
VL_ASSERT_AT(VL_HSLOffsetControls, wheel[1].huewheel, 16);
VL_ASSERT_AT(VL_HSLOffsetControls, wheel[2].tintangle, 32);
VL_ASSERT_AT(VL_HSLOffsetControls, wheel[3].strength, 48);
VL_ASSERT_AT(VL_LevelControls, enable, 4);
VL_ASSERT_AT(VL_LevelControls, inblackpt, 8);
VL_ASSERT_AT(VL_LevelControls, ingraypt, 12);
VL_ASSERT_AT(VL_LevelControls, inwhitept, 16);
VL_ASSERT_AT(VL_LevelControls, outblackpt, 20);
VL_ASSERT_AT(VL_LevelControls, outgraypt, 24);
VL_ASSERT_AT(VL_LevelControls, outwhitept, 28);
VL_ASSERT_AT(VL_CurveControls, word1, 4);
VL_ASSERT_AT(VL_CurveControls, modeFlags, 8);
VL_ASSERT_AT(VL_CurveControls, spline.pointCount, 12);
VL_ASSERT_AT(VL_CurveControls, spline.x, 16);
VL_ASSERT_AT(VL_CurveControls, spline.y, 80);
VL_ASSERT_AT(VL_CurveControls, map, 12);
VL_ASSERT_AT(VL_LumaRangeControls, lumarange_shadowx, 8);
VL_ASSERT_AT(VL_LumaRangeControls, lumarange_shadowy, 12);
VL_ASSERT_AT(VL_LumaRangeControls, lumarange_highlightx, 16);
VL_ASSERT_AT(VL_LumaRangeControls, lumarange_highlighty, 20);
VL_ASSERT_AT(VL_SecondaryControls, lumatol, 4);
VL_ASSERT_AT(VL_SecondaryControls, chromatol, 8);
VL_ASSERT_AT(VL_SecondaryControls, softness, 12);
VL_ASSERT_AT(VL_SecondaryControls, preview, 16);
VL_ASSERT_AT(VL_SecondaryControls, previewMode, 20);
VL_ASSERT_AT(VL_SecondaryControls, invert, 24);
VL_ASSERT_AT(VL_SecondaryControls, hue, 28);
VL_ASSERT_AT(VL_SecondaryControls, saturation, 32);
VL_ASSERT_AT(VL_SecondaryControls, hueoffset_huewheel, 36);
VL_ASSERT_AT(VL_SecondaryControls, hueoffset_tintangle, 40);
VL_ASSERT_AT(VL_SecondaryControls, hueoffset_strength, 44);
VL_ASSERT_AT(VL_SecondaryControls, sample, 48);
VL_ASSERT_AT(VL_SecondaryControls, sample[3].blue, 108);
VL_ASSERT_AT(VL_SecondaryControls, gain, 112);
VL_ASSERT_AT(VL_SecondaryControls, gamma, 116);
VL_ASSERT_AT(VL_SecondaryControls, ped, 120);
VL_ASSERT_AT(VL_SecondaryGeometryControls, shape, 76);
VL_ASSERT_AT(VL_LimiterControls, limiter_chroma_min, 4);
VL_ASSERT_AT(VL_LimiterControls, limiter_luma_max, 8);
VL_ASSERT_AT(VL_LimiterControls, limiter_softclip_enable, 12);
VL_ASSERT_AT(VL_LimiterControls, limiter_softclip_knee, 16);
VL_ASSERT_AT(VL_LimiterControls, limiter_softclip_white_level, 20);
VL_ASSERT_AT(VL_LimiterControls, limiter_softclip_max_level, 24);
VL_ASSERT_AT(VL_LimiterControls, limiter_clip_method, 28);
VL_ASSERT_AT(VL_LimiterControls, limiter_system, 32);
VL_ASSERT_AT(VL_LimiterControls, limiter_highlight_recovery, 36);
VL_ASSERT_AT(VL_InputControls, outputControls_highlight_recovery, 4);
VL_ASSERT_AT(VL_InputControls, word2, 8);

VL_ASSERT_AT(VL_SettingsStruct, byteOrderFlag, 0);

VL_ASSERT_AT(VL_SettingsStruct, hslEnable, 4);
VL_ASSERT_AT(VL_SettingsStruct, hslControlsEnable, 8);
VL_ASSERT_AT(VL_SettingsStruct, hsl, 12);
VL_ASSERT_AT(VL_SettingsStruct, hsl[1], 52);
VL_ASSERT_AT(VL_SettingsStruct, hsl[2], 92);
VL_ASSERT_AT(VL_SettingsStruct, hsl[3], 132);
VL_ASSERT_AT(VL_SettingsStruct, rgbEnable, 172);
VL_ASSERT_AT(VL_SettingsStruct, rgb, 176);
VL_ASSERT_AT(VL_SettingsStruct, rgb[1], 228);
VL_ASSERT_AT(VL_SettingsStruct, rgb[2], 280);
VL_ASSERT_AT(VL_SettingsStruct, rgb[3], 332);
VL_ASSERT_AT(VL_SettingsStruct, ycbcrEnable, 384);
VL_ASSERT_AT(VL_SettingsStruct, ycbcr, 388);
VL_ASSERT_AT(VL_SettingsStruct, ycbcr[1], 440);
VL_ASSERT_AT(VL_SettingsStruct, ycbcr[2], 492);
VL_ASSERT_AT(VL_SettingsStruct, ycbcr[3], 544);
VL_ASSERT_AT(VL_SettingsStruct, cmyEnable, 596);
VL_ASSERT_AT(VL_SettingsStruct, cmy, 600);
VL_ASSERT_AT(VL_SettingsStruct, cmy[1], 652);
VL_ASSERT_AT(VL_SettingsStruct, cmy[2], 704);
VL_ASSERT_AT(VL_SettingsStruct, cmy[3], 756);
VL_ASSERT_AT(VL_SettingsStruct, hueOffsetEnable, 808);
VL_ASSERT_AT(VL_SettingsStruct, hueOffsets, 812);
VL_ASSERT_AT(VL_SettingsStruct, levelsEnable, 864);
VL_ASSERT_AT(VL_SettingsStruct, levels, 868);
VL_ASSERT_AT(VL_SettingsStruct, levels[1], 900);
VL_ASSERT_AT(VL_SettingsStruct, levels[2], 932);
VL_ASSERT_AT(VL_SettingsStruct, levels[3], 964);
VL_ASSERT_AT(VL_SettingsStruct, levels[4], 996);
VL_ASSERT_AT(VL_SettingsStruct, curvesEnable, 1028);
VL_ASSERT_AT(VL_SettingsStruct, rgbCurvesEnable, 1032);
VL_ASSERT_AT(VL_SettingsStruct, rgbCurves, 1036);
VL_ASSERT_AT(VL_SettingsStruct, rgbCurves[1], 5144);
VL_ASSERT_AT(VL_SettingsStruct, rgbCurves[2], 9252);
VL_ASSERT_AT(VL_SettingsStruct, rgbCurves[3], 13360);
VL_ASSERT_AT(VL_SettingsStruct, curvePoints, 17468);
VL_ASSERT_AT(VL_SettingsStruct, curvePoints[1], 17480);
VL_ASSERT_AT(VL_SettingsStruct, curvePoints[2], 17492);
VL_ASSERT_AT(VL_SettingsStruct, hslCurvesEnable, 17504);
VL_ASSERT_AT(VL_SettingsStruct, hslCurves, 17508);
VL_ASSERT_AT(VL_SettingsStruct, hslCurves[1], 21616);
VL_ASSERT_AT(VL_SettingsStruct, hslCurves[2], 25724);
VL_ASSERT_AT(VL_SettingsStruct, lumaRangesEnable, 29832);
VL_ASSERT_AT(VL_SettingsStruct, lumaRanges, 29836);
VL_ASSERT_AT(VL_SettingsStruct, secondaryEnable, 29860);
VL_ASSERT_AT(VL_SettingsStruct, secondaryKeyerEnable, 29864);
VL_ASSERT_AT(VL_SettingsStruct, secondary, 29868);
VL_ASSERT_AT(VL_SettingsStruct, secondary[5], 29868 + 124 * 5);
VL_ASSERT_AT(VL_SettingsStruct, secondaryGeometryEnable, 30612);
VL_ASSERT_AT(VL_SettingsStruct, secondaryGeometry, 30616);
VL_ASSERT_AT(VL_SettingsStruct, secondaryGeometry[5], 30616 + 460 * 5);
VL_ASSERT_AT(VL_SettingsStruct, limiter_enable, 33376);
VL_ASSERT_AT(VL_SettingsStruct, limiter_preview, 33380);
VL_ASSERT_AT(VL_SettingsStruct, limiter, 33384);
VL_ASSERT_AT(VL_SettingsStruct, sampler, 33424);
VL_ASSERT_AT(VL_SettingsStruct, untouched, 33452);
VL_ASSERT_AT(VL_SettingsStruct, videoBlackLevel, 33480);
VL_ASSERT_AT(VL_SettingsStruct, videoWhiteLevel, 33484);
VL_ASSERT_AT(VL_SettingsStruct, videoMinLevel, 33488);
VL_ASSERT_AT(VL_SettingsStruct, videoMaxLevel, 33492);
VL_ASSERT_AT(VL_SettingsStruct, videoBlackSetup, 33496);
VL_ASSERT_AT(VL_SettingsStruct, videoSystem, 33500);
VL_ASSERT_AT(VL_SettingsStruct, linearizationOn, 33504);
VL_ASSERT_AT(VL_SettingsStruct, linearizeVideoGamma, 33508);
VL_ASSERT_AT(VL_SettingsStruct, linearizeLog, 33512);
VL_ASSERT_AT(VL_SettingsStruct, linearizeSelector3, 33516);
VL_ASSERT_AT(VL_SettingsStruct, linearizeSelector4, 33520);
VL_ASSERT_AT(VL_SettingsStruct, linearizationGamma, 33524);
VL_ASSERT_AT(VL_SettingsStruct, logBlackPoint, 33528);
VL_ASSERT_AT(VL_SettingsStruct, logWhitePoint, 33532);
VL_ASSERT_AT(VL_SettingsStruct, logOption, 33536);
VL_ASSERT_AT(VL_SettingsStruct, input, 33540);

#undef VL_ASSERT_AT

// ---------------------------------------------------------------------------
// Section mask: each set bit names one section of the record; -1 (every bit)
// names the whole record, head words included.
using VLSettingsSectionMask = uint64_t;

constexpr VLSettingsSectionMask VLMaskBit(int bit) { return VLSettingsSectionMask(1) << bit; }

constexpr int kVLMaskBitHSL = 0;             // + range (master, highlights, midtones, shadows)
constexpr int kVLMaskBitRGB = 4;             // + range
constexpr int kVLMaskBitYCbCr = 8;           // + range
constexpr int kVLMaskBitCMY = 12;            // + range
constexpr int kVLMaskBitHueOffsets = 16;     // with the hue-offset enable
constexpr int kVLMaskBitLevels = 17;         // + channel; master also clears both highlight recoveries
constexpr int kVLMaskBitSecondary = 22;      // + secondary 0..5
constexpr int kVLMaskBitLimiter = 28;
constexpr int kVLMaskBitLumaRanges = 30;     // with their enable
constexpr int kVLMaskBitRGBCurves = 33;      // + curve (master, red, green, blue)
constexpr int kVLMaskBitHSLCurves = 37;      // + curve (hue, saturation, luma)
constexpr int kVLMaskBitLinVideoGamma = 40;
constexpr int kVLMaskBitLinLog = 41;
constexpr int kVLMaskBitSecondaryGeometry = 44;  // + secondary 0..5

constexpr VLSettingsSectionMask kVLMaskAll = ~VLSettingsSectionMask(0);
constexpr VLSettingsSectionMask kVLMaskAllRGBCurves = VLSettingsSectionMask(0xF) << kVLMaskBitRGBCurves;
constexpr VLSettingsSectionMask kVLMaskAllHSLCurves = VLSettingsSectionMask(0x7) << kVLMaskBitHSLCurves;

// The preference values that defaults are taken from. The programs copy them
// from their loaded preferences (after every load) with
// VL_SetSettingsPreferenceWords; until then the preference defaults stand.
struct VLSettingsPreferenceWords {
  int32_t limiterDefault = 0;    // "Limiter Default"
  int32_t videoSystem = 1;       // "Video System"
  int32_t videoBlackLevel = 0;   // "Video Black Level"
  int32_t videoWhiteLevel = 255; // "Video White Level"
  int32_t videoMinLevel = 0;     // "Video Min Level"
  int32_t videoMaxLevel = 255;   // "Video Max Level"
  int32_t videoBlackSetup = 0;   // "Video Black Setup Present"
};

void VL_SetSettingsPreferenceWords(const VLSettingsPreferenceWords& words);
VLSettingsPreferenceWords VL_GetSettingsPreferenceWords();

// Resets the sections named by mask to their defaults; words that no set bit
// covers keep their contents. A complete default record: zero-fill, then mask -1.
void VL_SetDefaultControlValues(VL_SettingsStruct* settings, VLSettingsSectionMask mask);

// djb2 hash of the record's bytes in memory order (bytes read as unsigned).
uint32_t VL_GetSettingsHash(const VL_SettingsStruct* settings);
bool VL_CompareSettingsWithHashForSame(const VL_SettingsStruct* settings, uint32_t hash);

// Whole-record change detection: true when the two records are byte-for-byte equal.
bool VL_SettingsAreSame(const VL_SettingsStruct* a, const VL_SettingsStruct* b);

// True when word 0 reads as the byte-order flag seen through the other byte order.
bool VL_SettingsNeedByteSwap(const VL_SettingsStruct* settings);
// Reverses the bytes of every one of the record's words, the flag included.
void VL_ByteSwapSettings(VL_SettingsStruct* settings);

// ---------------------------------------------------------------------------
// Field-name vocabulary: every named field, in record order.
enum VLSettingsFieldType : uint32_t { kVLFieldFloat = 0, kVLFieldU32 = 1 };

struct VLSettingsFieldName {
  const char* name;
  uint32_t offset;  // byte offset in VL_SettingsStruct
  VLSettingsFieldType type;
};

constexpr int kSettingsFieldNameCount = 318;
extern const VLSettingsFieldName kSettingsFieldNames[kSettingsFieldNameCount];

// The entry with the given name (exact, case-sensitive), or nullptr.
const VLSettingsFieldName* VL_FindSettingsField(const char* name);
