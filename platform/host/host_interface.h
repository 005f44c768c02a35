// The effect host interface: the records, callbacks and suites through which
// a host application drives an effect plug-in, and through which the plug-in
// asks the host for memory, parameter values, pixels and services.
//
// The host calls the plug-in's single entry point
//   HIError EntryPointFunc(HICommand, HIInData*, HIOutData*, HIParamDef* params[],
//                          HIWorld* output, void* extra)
// once per command. `extra` depends on the command: the arbitrary-data record
// for kHICmdArbitraryCallback, the event record for kHICmdEvent, the
// pre-render and smart-render records for those commands, a settings request
// for kHICmdCompletelyGeneral.
//
// Everything here is plain C layout so that host and plug-in agree across
// the shared-library boundary; handles are opaque and only touched through
// the host's handle callbacks (or, when a host gives none, the platform's
// handle functions in host_handles.h, which are the same kind).
#pragma once

#include <cstddef>
#include <cstdint>

extern "C" {

// ---------------------------------------------------------------------------
// Errors and commands

typedef int32_t HIError;
enum : HIError {
  kHINoErr = 0,
  kHIErrInterrupted = 1,        // the host asked the effect to stop (see abort); the host says nothing more
  kHIErrOutOfMemory = 4,
  kHIErrInternalStructDamaged = 512,
  kHIErrUnrecognizedParamType = 514,
  kHIErrInvalidCallback = 515,  // the host does not offer what was asked
  kHIErrBadCallbackParam = 516, // a callback got an argument it cannot use
  kHIErrUnfinished = 517,       // the effect could not finish what was asked and has told the user why
};

typedef int32_t HICommand;
enum : HICommand {
  kHICmdAbout = 0,
  kHICmdGlobalSetup = 1,
  kHICmdUnused2 = 2,
  kHICmdGlobalSetdown = 3,
  kHICmdParamsSetup = 4,
  kHICmdSequenceSetup = 5,
  kHICmdSequenceResetup = 6,
  kHICmdSequenceFlatten = 7,
  kHICmdSequenceSetdown = 8,
  kHICmdDoDialog = 9,
  kHICmdFrameSetup = 10,
  kHICmdRender = 11,
  kHICmdFrameSetdown = 12,
  kHICmdUserChangedParam = 13,
  kHICmdUpdateParamsUI = 14,
  kHICmdEvent = 15,
  kHICmdExternalDependencies = 16,
  kHICmdCompletelyGeneral = 17,
  kHICmdQueryDynamicFlags = 18,
  kHICmdAudioRender = 19,
  kHICmdAudioSetup = 20,
  kHICmdAudioSetdown = 21,
  kHICmdArbitraryCallback = 22,
  kHICmdSmartPreRender = 23,
  kHICmdSmartRender = 24,
  kHICmdCount = 25,
};

// Output flags the plug-in sets at global setup (HIOutData::out_flags).
enum : uint32_t {
  kHIOutFlagKeepResourceOpen = 0x1,
  kHIOutFlagSequenceDataNeedsFlattening = 0x10,
  kHIOutFlagIDoDialog = 0x20,
  kHIOutFlagUseOutputExtent = 0x40,
  kHIOutFlagPixelIndependent = 0x400,
  kHIOutFlagCustomUI = 0x8000,
  kHIOutFlagForceRerender = 0x400000,
  kHIOutFlagDeepColorAware = 0x2000000,
};
// Second output flags (HIOutData::out_flags2).
enum : uint32_t {
  kHIOutFlag2GroupStartCollapsedHonoured = 0x8,
  kHIOutFlag2SmartRender = 0x400,
  kHIOutFlag2FloatColorAware = 0x1000,
};

// ---------------------------------------------------------------------------
// Memory handles: opaque, resizable, lockable blocks owned by the host.

typedef struct HIHandleBlock* HIHandle;

// The plug-in instance as the host knows it; passed back in callbacks.
typedef struct HIEffectRefOpaque* HIEffectRef;

struct HIRect {
  int32_t left, top, right, bottom;
};

// ---------------------------------------------------------------------------
// Worlds: a rectangle of pixels in one layout.

// Host pixel-format words (what the world and pixel-format suites answer).
enum : uint32_t {
  kHIPixelFormatARGB8 = 0x62677261,      // 8-bit A, R, G, B bytes
  kHIPixelFormatARGB16 = 0x36316561,     // u16 A, R, G, B, full scale 32768
  kHIPixelFormatARGBFloat = 0x32336561,  // float A, R, G, B
  kHIPixelFormatBGRA8 = 0x61726762,      // Premiere-style 8-bit B, G, R, A bytes
  kHIPixelFormatBGRAFloat = 0x61724742,  // Premiere-style float B, G, R, A
  kHIPixelFormatVUYA8 = 0x61797576,      // Premiere-style 8-bit Cr, Cb, Y, A bytes, video range
  kHIPixelFormatVUYAFloat = 0x61795556,  // Premiere-style float Cr, Cb, Y, A, chroma centred on 0
  kHIPixelFormatPProARGBFloat = 0x62675241,  // Premiere's name for float A, R, G, B
  kHIPixelFormatPProARGB8 = 0x62677261,      // Premiere's name for 8-bit A, R, G, B
  kHIPixelFormatBad = 0x62616466,        // "badf": what a world suite leaves when it cannot tell
};

// World flags.
enum : uint32_t {
  kHIWorldFlagDeep = 0x1,   // 16 bits per channel
  kHIWorldFlagFloat = 0x2,  // 32-bit float per channel (hosts with float worlds)
};

struct HIWorld {
  uint32_t flags;
  int32_t width;
  int32_t height;
  int32_t row_bytes;
  void* data;
  HIRect extent_hint;
  int32_t pix_aspect_num;
  int32_t pix_aspect_den;
  uint32_t pixel_format;  // the host's format word for this world
  int32_t reserved;
  void* host_private;
};

// The 8-bit colour given to the fill callback (null: transparent black).
struct HIPixel8 {
  uint8_t alpha, red, green, blue;
};

// ---------------------------------------------------------------------------
// Parameters

typedef int32_t HIParamType;
enum : HIParamType {
  kHIParamLayer = 0,
  kHIParamFloatSlider = 1,
  kHIParamCheckbox = 2,
  kHIParamPopup = 3,
  kHIParamArbitraryData = 4,
  kHIParamGroupStart = 5,
  kHIParamGroupEnd = 6,
  kHIParamNoData = 7,
};

// Parameter flags.
enum : uint32_t {
  kHIParamFlagCannotTimeVary = 0x2,
  kHIParamFlagStartCollapsed = 0x20,
  kHIParamFlagSupervise = 0x40,
};
// Parameter interface flags.
enum : uint32_t {
  kHIParamUIFlagControl = 0x2,
  kHIParamUIFlagDoNotEraseControl = 0x80,
};
// Change flags of a parameter, set by the plug-in to tell the host.
enum : uint32_t {
  kHIChangeFlagChangedValue = 0x1,
};

struct HIFloatSliderDef {
  double value;
  double dephault;
  float valid_min, valid_max;
  float slider_min, slider_max;
  float curve_tolerance;
  int16_t precision;
  int16_t display_flags;
};

struct HICheckboxDef {
  int32_t value;
  int32_t dephault;
  const char* label;
};

struct HIPopupDef {
  int32_t value;  // counts from 1
  int32_t num_choices;
  int32_t dephault;
  int32_t reserved;
  const char* names;  // the choices joined by '|'
};

struct HIArbitraryDef {
  int32_t id;  // the arbitrary id, handed back in HIArbitraryExtra::id
  int32_t reserved;
  HIHandle dephault;
  HIHandle value;
  void* refcon;
};

struct HIParamDef {
  int32_t uu_id;  // the fixed identifier the plug-in gave the parameter
  uint32_t change_flags;
  uint32_t ui_flags;
  int16_t ui_width;
  int16_t ui_height;
  HIParamType param_type;
  char name[32];
  uint32_t flags;
  int32_t reserved;
  union {
    HIWorld layer;
    HIFloatSliderDef fs;
    HICheckboxDef cb;
    HIPopupDef pd;
    HIArbitraryDef arb;
  } u;
};

// Custom-interface registration (utility callback register_ui).
enum : uint32_t { kHICustomUIEventsEffectPanel = 0x4 };
struct HICustomUIInfo {
  uint32_t events;
  int32_t reserved[7];
};

// ---------------------------------------------------------------------------
// Render requests, smart pre-render and smart render

struct HIRenderRequest {
  HIRect rect;
  int32_t field;
  int32_t channel_mask;
  uint8_t preserve_rgb_of_zero_alpha;
  uint8_t unused[3];
  int32_t reserved[4];
};
static_assert(sizeof(HIRenderRequest) == 44, "the render request is 44 bytes");

struct HICheckoutResult {
  HIRect result_rect;
  HIRect max_result_rect;
  int32_t par_num, par_den;
  uint8_t solid;
  uint8_t unused[3];
  int32_t reserved[3];
};

struct HIPreRenderInput {
  HIRenderRequest output_request;
  int32_t bitdepth;  // 8, 16 or 32
};

struct HIPreRenderOutput {
  HIRect result_rect;
  HIRect max_result_rect;
  uint8_t solid;
  uint8_t unused[3];
  uint32_t flags;
  void* pre_render_data;
  void (*delete_pre_render_data)(void*);
};

struct HIPreRenderCallbacks {
  HIError (*checkout_layer)(HIEffectRef, int32_t param_index, int32_t checkout_id,
                            const HIRenderRequest* request, int32_t what_time, int32_t time_step,
                            uint32_t time_scale, HICheckoutResult* result);
};

struct HIPreRenderExtra {
  HIPreRenderInput* input;
  HIPreRenderOutput* output;
  const HIPreRenderCallbacks* cb;
};

struct HISmartRenderInput {
  HIRenderRequest output_request;
  int32_t bitdepth;
  void* pre_render_data;
};

struct HISmartRenderCallbacks {
  HIError (*checkout_layer_pixels)(HIEffectRef, int32_t checkout_id, HIWorld** pixels);
  HIError (*checkin_layer_pixels)(HIEffectRef, int32_t checkout_id);
  HIError (*checkout_output)(HIEffectRef, HIWorld** output);
};

struct HISmartRenderExtra {
  HISmartRenderInput* input;
  const HISmartRenderCallbacks* cb;
};

// ---------------------------------------------------------------------------
// Arbitrary-data callbacks (command kHICmdArbitraryCallback)

typedef int32_t HIArbitraryWhich;
enum : HIArbitraryWhich {
  kHIArbNew = 0,
  kHIArbDispose = 1,
  kHIArbCopy = 2,
  kHIArbFlatSize = 3,
  kHIArbFlatten = 4,
  kHIArbUnflatten = 5,
  kHIArbInterpolate = 6,
  kHIArbCompare = 7,
  kHIArbPrintSize = 8,
  kHIArbPrint = 9,
  kHIArbScan = 10,
};

enum : int32_t {
  kHIArbCompareEqual = 0,
  kHIArbCompareLess = 1,
  kHIArbCompareMore = 2,
  kHIArbCompareNotEqual = 3,
};

struct HIArbitraryExtra {
  HIArbitraryWhich which;
  int32_t id;  // the parameter's arbitrary id
  union {
    struct { HIHandle* result; } new_value;
    struct { HIHandle value; } dispose;
    struct { HIHandle source; HIHandle* result; } copy;
    struct { HIHandle value; uint32_t* size; } flat_size;
    struct { HIHandle value; uint32_t buffer_size; void* buffer; } flatten;
    struct { uint32_t buffer_size; const void* buffer; HIHandle* result; } unflatten;
    struct { HIHandle left; HIHandle right; double fraction; HIHandle* result; } interpolate;
    struct { HIHandle a; HIHandle b; int32_t* result; } compare;
    struct { uint32_t print_flags; HIHandle value; uint32_t* size; } print_size;
    struct { uint32_t print_flags; HIHandle value; uint32_t buffer_size; char* buffer; } print;
    struct { const char* text; uint32_t byte_count; HIHandle* result; } scan;
  } u;
};

// ---------------------------------------------------------------------------
// Custom-interface events (command kHICmdEvent)

typedef int32_t HIEventKind;
enum : HIEventKind {
  kHIEventNone = 0,
  kHIEventClick = 2,
  kHIEventDrag = 3,
  kHIEventDraw = 4,
  kHIEventKeyDown = 5,
  kHIEventAdjustCursor = 9,
};

// Modifier keys in the event's modifier word.
enum : uint32_t {
  kHIModifierCommand = 0x100,
  kHIModifierShift = 0x200,
  kHIModifierOption = 0x800,
  kHIModifierControl = 0x1000,
};

// Cursors the plug-in may ask for in an adjust-cursor event.
enum : int32_t {
  kHICursorNone = 0,        // the host's own
  kHICursorCrosshair = 8,
  kHICursorContextMenu = 39,
};

enum : uint32_t {
  kHIEventOutHandled = 0x1,
  kHIEventOutAlwaysUpdate = 0x2,
  kHIEventOutUpdateNow = 0x4,
};

struct HIPoint {
  int32_t h, v;
};

struct HIEventContext {
  int32_t window_type;  // 1: the effect panel
  int32_t param_index;  // the parameter whose area received the event
  void* host_context;   // handed back to drawing suites
};

struct HIEventExtra {
  HIEventContext* context;
  HIEventKind kind;
  uint32_t out_flags;  // kHIEventOut...
  HIRect area;         // the parameter's area in the panel
  union {
    struct {
      uint32_t when;
      HIPoint screen_point;
      uint32_t modifiers;
      int32_t continue_refcon[4];  // the plug-in's values kept between click and drags
      uint8_t send_drag;           // the plug-in sets it to be sent drag events
      uint8_t last_time;           // set on the drag that ends the gesture
      uint8_t unused[2];
    } click;
    struct {
      HIRect update_rect;
      int32_t depth;
    } draw;
    struct {
      HIPoint screen_point;
      uint32_t modifiers;
      int32_t set_cursor;
    } adjust_cursor;
    struct {
      uint32_t char_code;
      uint32_t modifiers;
    } key_down;
  } u;
};

// ---------------------------------------------------------------------------
// User changed a parameter (command kHICmdUserChangedParam)

struct HIUserChangedParamExtra {
  int32_t param_index;
};

// ---------------------------------------------------------------------------
// Settings transfer from outside (command kHICmdCompletelyGeneral)

struct HISettingsRequest {
  uint32_t selector;
  int32_t result;
  uint32_t byte_count;
  uint32_t reserved;
  const void* data;
};
static_assert(offsetof(HISettingsRequest, result) == 4, "settings request layout");
static_assert(offsetof(HISettingsRequest, byte_count) == 8, "settings request layout");
static_assert(offsetof(HISettingsRequest, data) == 16, "settings request layout");

// ---------------------------------------------------------------------------
// Utility callbacks the host hands the plug-in in every HIInData. Any may be
// null when a host does not offer it.

struct HIUtilityCallbacks {
  HIError (*add_param)(HIEffectRef, int32_t index, const HIParamDef* def);
  HIError (*register_ui)(HIEffectRef, const HICustomUIInfo* info);
  HIError (*checkout_param)(HIEffectRef, int32_t index, int32_t what_time, int32_t time_step,
                            uint32_t time_scale, HIParamDef* result);
  HIError (*checkin_param)(HIEffectRef, HIParamDef* param);
  HIError (*fill)(HIEffectRef, const HIPixel8* color, const HIRect* rect, HIWorld* world);
  HIHandle (*new_handle)(uint64_t size);
  void (*dispose_handle)(HIHandle);
  void* (*lock_handle)(HIHandle);
  void (*unlock_handle)(HIHandle);
  uint64_t (*get_handle_size)(HIHandle);
  HIError (*set_handle_size)(HIHandle, uint64_t size);
  // kHIErrInterrupted once the user has asked the host to stop (an interrupt,
  // a closed project), else kHINoErr. An effect that waits for long checks it
  // and returns kHIErrInterrupted. May be null: the host never asks.
  HIError (*abort)(HIEffectRef);
};

// ---------------------------------------------------------------------------
// The suite broker: every further host service is a suite acquired by name
// and version and released after use.

struct HIBasicSuite {
  HIError (*acquire_suite)(const char* name, int32_t version, const void** suite);
  HIError (*release_suite)(const char* name, int32_t version);
};

// Suites the plug-in asks for, by name and version.
#define kHISuiteAEGPUtility "AEGP Utility Suite"
#define kHISuiteAEGPUtilityVersionRegister 11
#define kHISuiteAEGPUtilityVersionSuppress 7
#define kHISuiteWorld "PF World Suite"
#define kHISuiteWorldVersion 2
#define kHISuitePixelFormat "PF Pixel Format Suite"
#define kHISuitePixelFormatVersion 1
#define kHISuitePFUtility "PF Utility Suite"
#define kHISuitePFUtilityVersion 4
#define kHISuiteAEGPMemory "AEGP Memory Suite"
#define kHISuiteAEGPMemoryVersion 1
// Used by the Full Interface exchange.
#define kHISuiteAEGPPFInterface "AEGP PF Interface Suite"
#define kHISuiteAEGPPFInterfaceVersion 1
#define kHISuiteAEGPEffect "AEGP Effect Suite"
#define kHISuiteAEGPEffectVersion 1
#define kHISuiteAEGPProject "AEGP Proj Suite"
#define kHISuiteAEGPProjectVersion 8
#define kHISuiteAEGPFootage "AEGP Footage Suite"
#define kHISuiteAEGPFootageVersion 11
#define kHISuiteAEGPItem "AEGP Item Suite"
#define kHISuiteAEGPItemVersion 3
#define kHISuiteAEGPCommand "AEGP Command Suite"
#define kHISuiteAEGPCommandVersion 1
#define kHISuiteAdvTime "PF AE Adv Time Suite"
#define kHISuiteAdvTimeVersion 2
#define kHISuiteAdvTimeVersionOld 1
// Used by the effect panel's strips and displays.
#define kHISuiteApp "PF AE App Suite"
#define kHISuiteAppVersion 6
#define kHISuiteEffectCustomUI "PF Effect Custom UI Suite"
#define kHISuiteDrawbotDraw "DRAWBOT Draw Suite"
#define kHISuiteDrawbotSupplier "DRAWBOT Supplier Suite"
#define kHISuiteDrawbotSurface "DRAWBOT Surface Suite"
#define kHISuiteDrawbotPath "DRAWBOT Path Suite"
#define kHISuiteDrawbotVersion 1

// "AEGP Utility Suite" version 11: registration and undo groups.
struct HIUtilitySuite11 {
  HIError (*register_with_host)(void* refcon, const char* name, int32_t* plugin_id);
  HIError (*start_undo_group)(const char* name);
  HIError (*end_undo_group)();
};

// "AEGP Utility Suite" version 7: whether the host runs without user interaction.
struct HIUtilitySuite7 {
  HIError (*get_suppress_interactive_ui)(uint8_t* suppressed);
};

// "PF World Suite" version 2.
struct HIWorldSuite2 {
  HIError (*get_pixel_format)(const HIWorld* world, uint32_t* format);
};

// "PF Pixel Format Suite" version 1 (Premiere-style hosts).
struct HIPixelFormatSuite1 {
  HIError (*clear_supported_pixel_formats)(HIEffectRef);
  HIError (*add_supported_pixel_format)(HIEffectRef, uint32_t format);
  HIError (*get_pixel_format)(const HIWorld* world, uint32_t* format);
};

// "PF Utility Suite" version 4.
struct HIPFUtilitySuite4 {
  // Asks the host to hand out checked-out frames in the render pixel format.
  HIError (*use_render_pixel_format_for_checkouts)(HIEffectRef);
};

// "AEGP Memory Suite" version 1: named, lockable host memory.
typedef struct HIMemHandleBlock* HIMemHandle;
struct HIMemorySuite1 {
  HIError (*new_mem_handle)(int32_t plugin_id, const char* what, uint64_t size, uint32_t flags,
                            HIMemHandle* result);
  HIError (*free_mem_handle)(HIMemHandle);
  HIError (*lock_mem_handle)(HIMemHandle, void** address);
  HIError (*unlock_mem_handle)(HIMemHandle);
  HIError (*get_mem_handle_size)(HIMemHandle, uint64_t* size);
};

// "PF AE App Suite" version 6: panel colours and redraw requests.
struct HIAppSuite6 {
  HIError (*get_background_color)(uint16_t rgb[3]);
  HIError (*get_text_color)(uint16_t rgb[3]);
  HIError (*invalidate_custom_ui)(void* host_context, const HIRect* rect);
};

// Suites of the Full Interface exchange. Opaque host references name the
// effect, project, items and footage as the host knows them.
typedef struct HIAEGPEffectOpaque* HIAEGPEffectRef;
typedef struct HIProjectOpaque* HIProjectRef;
typedef struct HIItemOpaque* HIItemRef;
typedef struct HIFootageOpaque* HIFootageRef;

// "AEGP Command Suite" version 1: runs one of the host's own menu commands
// by its number.
struct HICommandSuite1 {
  HIError (*do_command)(int32_t command);
};

// "AEGP PF Interface Suite" version 1: the host's own reference to this effect.
struct HIPFInterfaceSuite1 {
  HIError (*get_new_effect_for_effect)(int32_t plugin_id, HIEffectRef effect_ref, HIAEGPEffectRef* effect);
};

// "AEGP Effect Suite" version 1.
enum : uint32_t { kHIEffectFlagActive = 0x1 };
struct HIEffectSuite1 {
  HIError (*get_effect_flags)(HIAEGPEffectRef effect, uint32_t* flags);
  HIError (*dispose_effect)(HIAEGPEffectRef effect);
};

// "AEGP Proj Suite" version 8.
struct HIProjectSuite8 {
  HIError (*get_project_by_index)(int32_t index, HIProjectRef* project);
};

// "AEGP Item Suite" version 3: the project's items in order.
enum : int32_t { kHIItemTypeFolder = 1, kHIItemTypeComposition = 2, kHIItemTypeFootage = 4 };
enum : uint32_t { kHIItemFlagHasVideo = 0x10, kHIItemFlagStill = 0x40 };
struct HIItemSuite3 {
  HIError (*get_first_proj_item)(HIProjectRef project, HIItemRef* item);  // null item: none
  HIError (*get_next_proj_item)(HIProjectRef project, HIItemRef item, HIItemRef* next);
  HIError (*get_item_type)(HIItemRef item, int32_t* type);
  HIError (*get_item_flags)(HIItemRef item, uint32_t* flags);
};

// "AEGP Footage Suite" version 11: the file behind a footage item. The
// path comes as a memory-suite handle holding NUL-terminated UTF-8.
struct HIFootageSuite11 {
  HIError (*get_main_footage_from_item)(HIItemRef item, HIFootageRef* footage);
  HIError (*get_footage_path)(HIFootageRef footage, int32_t frame, int32_t file_index, HIMemHandle* path);
};

// "PF AE Adv Time Suite" versions 2 and 1: how the host shows time.
enum : int32_t { kHITimeDisplayTimecode = 0, kHITimeDisplayFrames = 1, kHITimeDisplayFeetAndFrames = 2 };
struct HITimeDisplayPref {
  int32_t display_mode;
  int32_t timebase;          // frames per second, rounded
  uint8_t non_drop_30;       // the drop flag as the host keeps it
  uint8_t frames_per_foot;
  uint8_t feet_and_frames;   // version 2: frames mode shows feet and frames
  uint8_t unused;
  int32_t starting_frame;
};
struct HIAdvTimeSuite {
  HIError (*get_time_display_pref)(HITimeDisplayPref* pref);
};

// ---------------------------------------------------------------------------
// Drawing into the effect's panel. The custom-interface suite turns an
// event's context into a drawing reference; the draw suite gives that
// reference's supplier (which makes pens, brushes, fonts, images and paths)
// and surface (which draws them). Coordinates are panel pixels, y down.
// Objects made by the supplier are released with release_object.

typedef struct HIDrawRefOpaque* HIDrawRef;
typedef struct HIDrawSupplierOpaque* HIDrawSupplierRef;
typedef struct HIDrawSurfaceOpaque* HIDrawSurfaceRef;
typedef struct HIDrawObjectOpaque* HIDrawObjectRef;

struct HIDrawColor {
  float red, green, blue, alpha;  // 0..1
};
struct HIDrawPointF {
  float x, y;
};
struct HIDrawRectF {
  float left, top, width, height;
};

// Pixel layouts of image buffers: 8 bits per channel, premultiplied alpha.
enum : int32_t {
  kHIDrawPixelLayoutBGRA = 0,  // bytes B, G, R, A (a native A<<24|R<<16|G<<8|B word here)
  kHIDrawPixelLayoutARGB = 1,  // bytes A, R, G, B
};
enum : int32_t { kHIDrawAlignLeft = 0, kHIDrawAlignCenter = 1, kHIDrawAlignRight = 2 };
enum : int32_t { kHIDrawFillWinding = 0, kHIDrawFillEvenOdd = 1 };

// "PF Effect Custom UI Suite" version 1.
struct HIEffectCustomUISuite1 {
  HIError (*get_drawing_reference)(const HIEventContext* context, HIDrawRef* draw);
};
// "DRAWBOT Draw Suite" version 1.
struct HIDrawbotDrawSuite1 {
  HIError (*get_supplier)(HIDrawRef draw, HIDrawSupplierRef* supplier);
  HIError (*get_surface)(HIDrawRef draw, HIDrawSurfaceRef* surface);
};
// "DRAWBOT Supplier Suite" version 1.
struct HIDrawbotSupplierSuite1 {
  HIError (*new_pen)(HIDrawSupplierRef, const HIDrawColor* color, float width, HIDrawObjectRef* pen);
  HIError (*new_brush)(HIDrawSupplierRef, const HIDrawColor* color, HIDrawObjectRef* brush);
  HIError (*get_default_font_size)(HIDrawSupplierRef, float* size);
  HIError (*new_default_font)(HIDrawSupplierRef, float size, HIDrawObjectRef* font);
  HIError (*new_image_from_buffer)(HIDrawSupplierRef, int32_t width, int32_t height, int32_t row_bytes,
                                   int32_t layout, const void* pixels, HIDrawObjectRef* image);
  HIError (*new_path)(HIDrawSupplierRef, HIDrawObjectRef* path);
  HIError (*release_object)(HIDrawObjectRef object);
};
// "DRAWBOT Surface Suite" version 1.
struct HIDrawbotSurfaceSuite1 {
  HIError (*push_state)(HIDrawSurfaceRef);
  HIError (*pop_state)(HIDrawSurfaceRef);
  HIError (*translate)(HIDrawSurfaceRef, float dx, float dy);
  HIError (*paint_rect)(HIDrawSurfaceRef, const HIDrawColor* color, const HIDrawRectF* rect);
  HIError (*fill_path)(HIDrawSurfaceRef, HIDrawObjectRef brush, HIDrawObjectRef path, int32_t fill_type);
  HIError (*stroke_path)(HIDrawSurfaceRef, HIDrawObjectRef pen, HIDrawObjectRef path);
  HIError (*draw_image)(HIDrawSurfaceRef, HIDrawObjectRef image, const HIDrawPointF* origin, float opacity);
  // One line of UTF-8 text with its baseline at origin.
  HIError (*draw_string)(HIDrawSurfaceRef, HIDrawObjectRef brush, HIDrawObjectRef font, const char* utf8,
                         const HIDrawPointF* origin, int32_t align);
};
// "DRAWBOT Path Suite" version 1. Arc angles in degrees, clockwise on the
// screen from the positive x axis.
struct HIDrawbotPathSuite1 {
  HIError (*move_to)(HIDrawObjectRef path, float x, float y);
  HIError (*line_to)(HIDrawObjectRef path, float x, float y);
  HIError (*add_arc)(HIDrawObjectRef path, const HIDrawPointF* centre, float radius, float start_degrees,
                     float sweep_degrees);
  HIError (*close)(HIDrawObjectRef path);
};

// "PF Port Suite" version 1: the panel's pixels for an effect that draws
// them itself (the 32-bit plug-in has no drawing suites to call). The
// pixels are 0xAARRGGBB words, premultiplied, in panel coordinates.
#define kHISuitePort "PF Port Suite"
#define kHISuitePortVersion 1
struct HIPortPixels {
  uint32_t* pixels;
  int32_t width, height;
  int32_t row_pixels;  // words from one row to the next
};
struct HIPortSuite1 {
  HIError (*get_port)(const HIEventContext* context, HIPortPixels* port);
  // Tells the host the pixels were written.
  HIError (*port_changed)(const HIEventContext* context);
};

// ---------------------------------------------------------------------------
// In and out data

struct HIInData {
  const HIUtilityCallbacks* utils;
  HIEffectRef effect_ref;
  const HIBasicSuite* basic_suite;
  int32_t version_major;  // interface version of the host
  int32_t version_minor;
  uint32_t appl_id;       // the host's creator code ('FXTC', 'PPro', 'ame ', ...)
  int32_t num_params;
  int32_t quality;
  int32_t current_time;
  int32_t time_step;
  int32_t total_time;
  uint32_t time_scale;
  int32_t field;          // 0 frame, 1 upper field first, 2 lower
  int32_t width, height;  // the input layer's size
  HIRect extent_hint;     // the input's extent hint
  int32_t pixel_aspect_num;
  int32_t pixel_aspect_den;
  HIHandle global_data;
  HIHandle sequence_data;
  HIHandle frame_data;
};

struct HIOutData {
  uint32_t my_version;
  uint32_t out_flags;
  uint32_t out_flags2;
  int32_t num_params;
  HIHandle global_data;
  HIHandle sequence_data;
  HIHandle frame_data;
  int32_t width, height;
  char return_msg[256];
};

// The plug-in's exported entry point.
typedef HIError (*HIEntryPoint)(HICommand command, HIInData* in_data, HIOutData* out_data,
                                HIParamDef* params[], HIWorld* output, void* extra);
#define kHIEntryPointName "EntryPointFunc"

}  // extern "C"
