// The dialog that starts an output job: the output's format (a movie or a
// device movie; a DPX, JPEG or TIFF sequence) and, for movies, the codec.
#pragma once

#include <cstdint>

struct TKControl;
struct TKMenu;
struct TKWindow;

constexpr int32_t kOutputFormatMenuID = 221;
constexpr int32_t kOutputCodecMenuID = 222;

struct OutputDialogChoice {
  uint32_t format;  // kQVOutputMovie ... kQVOutputTIFFSequence
  uint32_t codec;   // movies: kQVCodecJPEG, kQVCodecProRes422 or kQVCodecH264
};

struct OutputDialog {
  TKWindow* window = nullptr;
  TKMenu* formatMenu = nullptr;
  TKMenu* codecMenu = nullptr;
  TKControl* format = nullptr;
  TKControl* codec = nullptr;  // movies only
  TKControl* ok = nullptr;
  TKControl* cancel = nullptr;
};

// Runs the modal dialog for a movie (movie true) or an image sequence,
// starting from *choice (a format of the other family starts from the
// family's first). True with the choice on OK, false on Cancel.
bool RunOutputDialog(bool movie, OutputDialogChoice* choice);

// Called with the dialog just before its modal loop starts (tests choose
// there); null removes it.
void SetOutputDialogOpenedHook(void (*hook)(OutputDialog* dialog));
