// The output's name from the clip's file name: a sequence's frame number and
// the separator before it go, a movie's or still's name is kept whole.
#include <gtest/gtest.h>

#include "app/commands/output_commands.h"

namespace {

TEST(OutputBaseName, OnlyASequenceLosesItsFrameNumber) {
  struct Case {
    const char* path;
    bool sequence;
    const char* name;
  };
  for (const Case& c : {Case{"/clips/A001C003.mov", false, "A001C003"}, Case{"/clips/shot_010.mov", false, "shot_010"},
                        Case{"/clips/reel1_0001.dpx", true, "reel1"}, Case{"/clips/plate.000123.tif", true, "plate"},
                        Case{"/clips/frame-17.jpg", true, "frame"}, Case{"/clips/0001.dpx", true, "0001"},
                        Case{"/clips/.mov", false, ".mov"}, Case{"still.tif", false, "still"}}) {
    EXPECT_EQ(OutputBaseName(c.path, c.sequence), c.name) << c.path;
  }
}

}  // namespace
