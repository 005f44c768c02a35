#include "platform/alerts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/alert_script.h"
#include "platform/input_state.h"
#include "platform/log.h"

namespace {

std::vector<std::string> gLines;
void Capture(const char* tag, const char* text, void*) { gLines.push_back(std::string(tag) + ": " + text); }

struct FatalExit {
  int status;
};
void ThrowOnExit(int status) { throw FatalExit{status}; }

}  // namespace

TEST(Alerts, DefaultSinkWritesToTheLogAndAnswersDefault) {
  gLines.clear();
  PLSetLogSink(Capture, nullptr);
  PLAlertRequest r{kPLAlertConfirm, 1, "Title", "Something happened", nullptr, "Go", nullptr};
  EXPECT_EQ(PLShowAlert(r), kPLAnswerDefault);
  PLSetLogSink(nullptr, nullptr);
  ASSERT_EQ(gLines.size(), 1u);
  EXPECT_EQ(gLines[0], "alert: [level 1] Title: Something happened");
}

TEST(Alerts, ScriptedSinkAnswersInOrderAndRecords) {
  PLAlertScriptBegin();
  PLAlertScriptAnswer(kPLAnswerOther);
  PLAlertRequest a{kPLAlertAlternatives, 1, "", "Heading", "Body", "Yes", "No"};
  EXPECT_EQ(PLShowAlert(a), kPLAnswerOther);
  EXPECT_EQ(PLShowAlert(a), kPLAnswerDefault);  // queue empty
  std::vector<PLRecordedAlert> shown = PLAlertScriptRecorded();
  PLAlertScriptEnd();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].detail, "Body");
  EXPECT_EQ(shown[0].otherButton, "No");
  EXPECT_EQ(shown[0].answer, kPLAnswerOther);
}

TEST(Alerts, FatalExitGoesThroughTheHook) {
  PLSetFatalExitHook(ThrowOnExit);
  try {
    PLFatalExit(3);
    FAIL();
  } catch (const FatalExit& e) {
    EXPECT_EQ(e.status, 3);
  }
  PLSetFatalExitHook(nullptr);
  EXPECT_EXIT(PLFatalExit(1), testing::ExitedWithCode(1), "");
}

TEST(InputState, DefaultsAndHooks) {
  EXPECT_EQ(PLGetMouseButtons(), 0u);
  EXPECT_EQ(PLGetKeyboardModifiers(), 0u);
  EXPECT_TRUE(PLIsFrontProcess());
  PLDisplayInfo d[4];
  ASSERT_EQ(PLGetDisplays(d, 4), 1);
  EXPECT_TRUE(d[0].isMain);
  PLInputHooks hooks{nullptr, [] { return uint32_t(kPLModifierShift); }, nullptr, nullptr};
  PLSetInputHooks(&hooks);
  EXPECT_EQ(PLGetKeyboardModifiers(), uint32_t(kPLModifierShift));
  EXPECT_EQ(PLGetMouseButtons(), 0u);
  PLSetInputHooks(nullptr);
  EXPECT_EQ(PLGetKeyboardModifiers(), 0u);
}
