// Entry point, global setup per host, and the sequence-data life cycle.
#include <cstring>
#include <vector>

#include "plugin/plugin_data.h"
#include "tests/plugin/plugin_test_host.h"

namespace {

int32_t alertsContaining(const char* text) {
  int32_t n = 0;
  for (const PLRecordedAlert& a : PLAlertScriptRecorded()) n += a.message.find(text) != std::string::npos;
  return n;
}

TEST(PluginGlobalSetup, EachHostSignature) {
  struct Case {
    const char* code;
    bool suppress;
    bool warned;
    const char* meant;  // the signature the effect records
  } cases[] = {{"FXTC", false, false, "FXTC"}, {"PPro", false, false, "PPro"}, {"ame ", false, false, "ame "},
               {"FXTc", false, false, "FXTC"}, {"FXsl", false, false, "FXTC"}, {"aplt", false, false, "FXTC"},
               {"PPhl", false, false, "PPro"}, {"BRed", false, true, "BRed"},  {"XYZW", false, true, "XYZW"},
               {"XYZW", true, false, "XYZW"}};
  auto code = [](const char* text) { return QVFourCC({text[0], text[1], text[2], text[3], 0}); };
  for (const Case& c : cases) {
    PluginTestHost t(code(c.code), false);
    t.host.config.suppress_interactive_ui = c.suppress;
    // The version line belongs in the diagnostic log, never in a host's output.
    testing::internal::CaptureStdout();
    ASSERT_EQ(SHSendCommand(&t.host, kHICmdGlobalSetup), kHINoErr) << c.code;
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << c.code;
    EXPECT_EQ(t.host.plugin_version, 1603381u);
    EXPECT_EQ(t.host.out_flags, 0x2008471u);
    EXPECT_EQ(alertsContaining("wrong flavor"), c.warned ? 1 : 0) << c.code;
    if (c.warned) {
      const PLRecordedAlert a = PLAlertScriptRecorded().back();
      EXPECT_EQ(a.title, "Velmora 3 PI");
      EXPECT_EQ(a.message,
                "The wrong flavor of the Velmora plug-in is installed for use with this application.");
      EXPECT_EQ(a.level, 1);
    }
    auto* g = static_cast<VLGlobalData*>(HILockHandle(t.host.global_data));
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(HIGetHandleSize(t.host.global_data), 1344u);
    EXPECT_EQ(g->hostCreator, code(c.meant)) << c.code;
    EXPECT_EQ(g->useCount, 1);
    EXPECT_EQ(g->aegpPluginId, 7);
    EXPECT_EQ(g->hasWorldSuite, std::strcmp(c.meant, "FXTC") == 0 ? 1 : 0);
    HIUnlockHandle(t.host.global_data);
    bool premiere = std::strcmp(c.meant, "PPro") == 0;
    std::vector<uint32_t> expected;
    if (premiere) expected = {0x61795556, 0x61724742, 0x61797576, 0x61726762};
    EXPECT_EQ(t.host.supported_formats, expected) << c.code;
    EXPECT_TRUE(t.host.renders_checkouts_in_render_format);
  }
}

TEST(PluginGlobalSetup, SmartRenderAndFloatOnlyAfterInterface12Point9) {
  for (auto [major, minor, smart] : {std::tuple{12, 9, false}, std::tuple{13, 0, true}, std::tuple{12, 10, true}}) {
    PluginTestHost t(QVFourCC("FXTC"), false);
    t.host.config.version_major = major;
    t.host.config.version_minor = minor;
    ASSERT_EQ(SHSendCommand(&t.host, kHICmdGlobalSetup), kHINoErr);
    EXPECT_EQ(t.host.out_flags2, smart ? 0x1408u : 0x8u) << major << "." << minor;
  }
}

TEST(PluginGlobalSetup, WorksWithoutHostHandleCallbacks) {
  PluginTestHost t(QVFourCC("FXTC"), false);
  t.host.config.offer_handle_callbacks = false;
  SHAttachEntryPoint(&t.host, EntryPointFunc);
  EXPECT_EQ(SHStartEffect(&t.host), kHINoErr);
  EXPECT_EQ(HIGetHandleSize(t.host.global_data), 1344u);
}

TEST(PluginDispatch, UnusedCommandCodesReturnZeroAndTouchNothing) {
  PluginTestHost t;
  std::vector<uint8_t> before = SHHandleBytes(t.host.global_data);
  for (HICommand c : {2, 16, 18, 19, 20, 21, 25, 99, -1}) EXPECT_EQ(SHSendCommand(&t.host, c), kHINoErr) << c;
  EXPECT_EQ(SHHandleBytes(t.host.global_data), before);
}

TEST(PluginDispatch, DoDialogPointsToTheFullInterface) {
  PluginTestHost t;
  EXPECT_EQ(SHSendCommand(&t.host, kHICmdDoDialog), kHINoErr);
  auto alerts = PLAlertScriptRecorded();
  ASSERT_EQ(alerts.size(), 1u);
  EXPECT_EQ(alerts[0].title, "Velmora");
  EXPECT_EQ(alerts[0].message,
            "Please use the \"Full Interface\" button in the Velmora parameters. You may need to twirl open the "
            "parameters if they are not already open and displaying the Velmora logo and buttons.");
  EXPECT_EQ(alerts[0].level, 3);
}

TEST(PluginGlobalSetdown, LastSetdownDisposesTheGlobalData) {
  for (const char* code : {"FXTC", "BRed"}) {
    PluginTestHost t(QVFourCC({code[0], code[1], code[2], code[3], 0}), false);
    int64_t live = HILiveHandleCount();
    ASSERT_EQ(SHSendCommand(&t.host, kHICmdGlobalSetup), kHINoErr);
    EXPECT_EQ(HILiveHandleCount(), live + 1);
    EXPECT_EQ(SHSendCommand(&t.host, kHICmdGlobalSetdown), kHINoErr);
    EXPECT_EQ(t.host.global_data, nullptr);
    EXPECT_EQ(HILiveHandleCount(), live);
  }
}

VLSeqData sequenceRecord(const SHHost& host) {
  VLSeqData seq;
  std::vector<uint8_t> bytes = SHHandleBytes(host.sequence_data);
  EXPECT_EQ(bytes.size(), sizeof seq);
  std::memcpy(&seq, bytes.data(), std::min(bytes.size(), sizeof seq));
  return seq;
}

TEST(PluginSequence, SetupFlattenAndResetup) {
  PluginTestHost t;
  VLSeqData seq = sequenceRecord(t.host);
  for (int32_t p : seq.selectedPoint) EXPECT_EQ(p, -1);
  EXPECT_NE(seq.settingsCopy, 0u);
  EXPECT_EQ(seq.bufferHandle, 0u);

  int64_t live = HILiveHandleCount();
  ASSERT_EQ(SHSendCommand(&t.host, kHICmdSequenceFlatten), kHINoErr);
  seq = sequenceRecord(t.host);
  EXPECT_EQ(seq.settingsCopy, 0u);  // the flattened form holds no handles
  EXPECT_EQ(HILiveHandleCount(), live - 1);
  ASSERT_EQ(SHSendCommand(&t.host, kHICmdSequenceResetup), kHINoErr);
  seq = sequenceRecord(t.host);
  EXPECT_NE(seq.settingsCopy, 0u);
  for (int32_t p : seq.selectedPoint) EXPECT_EQ(p, -1);
}

// A project can carry any bytes: handle words and selected points read from
// it are never used as they stand.
TEST(PluginSequence, StoredHandleWordsAndSelectionsAreNotTrusted) {
  PluginTestHost t;
  ASSERT_EQ(SHSendCommand(&t.host, kHICmdSequenceSetdown), kHINoErr);
  VLSeqData stored{};
  stored.bufferHandle = 0xDEADBEEF00001234u;
  stored.settingsCopy = 0xFEEDFACE00005678u;
  stored.frameRowBytes = 77;
  stored.changeFlag = 1;
  stored.selectedPoint[0] = 3;
  stored.selectedPoint[1] = 9999;
  stored.selectedPoint[2] = -40;
  stored.selectedPoint[3] = -1;
  t.host.sequence_data = SHHandleFromBytes(&stored, sizeof stored);
  ASSERT_EQ(SHSendCommand(&t.host, kHICmdSequenceResetup), kHINoErr);
  VLSeqData seq = sequenceRecord(t.host);
  EXPECT_EQ(seq.bufferHandle, 0u);
  EXPECT_NE(seq.settingsCopy, 0xFEEDFACE00005678u);
  EXPECT_NE(seq.settingsCopy, 0u);
  EXPECT_EQ(seq.frameRowBytes, 0u);
  EXPECT_EQ(seq.changeFlag, 0);
  EXPECT_EQ(seq.selectedPoint[0], 3);
  EXPECT_EQ(seq.selectedPoint[1], -1);
  EXPECT_EQ(seq.selectedPoint[2], -1);
  EXPECT_EQ(seq.selectedPoint[3], -1);
}

TEST(PluginSequence, OlderFlattenedFormsBecomeTheCurrentRecord) {
  for (uint32_t size : {28u, 176u, 67304u}) {
    PluginTestHost t;
    ASSERT_EQ(SHSendCommand(&t.host, kHICmdSequenceSetdown), kHINoErr);
    std::vector<uint8_t> old(size, 0xAB);
    VL_SettingsStruct carried = DefaultSettings();
    carried.hsl[0].saturation = 123.0f;
    if (size == 67304) std::memcpy(old.data(), &carried, sizeof carried);
    t.host.sequence_data = SHHandleFromBytes(old.data(), old.size());
    ASSERT_EQ(SHSendCommand(&t.host, kHICmdSequenceResetup), kHINoErr) << size;
    VLSeqData seq = sequenceRecord(t.host);
    EXPECT_NE(seq.settingsCopy, 0u);
    EXPECT_EQ(seq.selectedPoint[0], 0);  // a fresh zero-filled record
    EXPECT_EQ(t.settings().hsl[0].saturation, size == 67304 ? 123.0f : 100.0f) << size;
  }
}

// A settings value shorter than a record is replaced by a whole one before an
// older sequence record or a transfer writes a record into it; the host keeps
// the new value.
TEST(PluginSequence, AWholeRecordReachesAShortSettingsValue) {
  VL_SettingsStruct carried = DefaultSettings();
  carried.hsl[2].gamma = 1.5f;
  uint8_t shortValue[100] = {};
  {
    PluginTestHost t;
    SHSetArbValue(&t.host, t.index(1), SHHandleFromBytes(shortValue, sizeof shortValue));
    ASSERT_EQ(SHSendCommand(&t.host, kHICmdSequenceSetdown), kHINoErr);
    std::vector<uint8_t> old(67304, 0);
    std::memcpy(old.data(), &carried, sizeof carried);
    t.host.sequence_data = SHHandleFromBytes(old.data(), old.size());
    ASSERT_EQ(SHSendCommand(&t.host, kHICmdSequenceResetup), kHINoErr);
    ASSERT_EQ(HIGetHandleSize(t.settingsHandle()), 33556u);
    EXPECT_EQ(t.settings().hsl[2].gamma, 1.5f);
  }
  {
    PluginTestHost t;
    SHSetArbValue(&t.host, t.index(1), SHHandleFromBytes(shortValue, sizeof shortValue));
    HISettingsRequest request{0, 99, 33556, 0, &carried};
    ASSERT_EQ(SHSendCommand(&t.host, kHICmdCompletelyGeneral, &request), kHINoErr);
    EXPECT_EQ(request.result, 0);
    ASSERT_EQ(HIGetHandleSize(t.settingsHandle()), 33556u);
    EXPECT_EQ(t.settings().hsl[2].gamma, 1.5f);
  }
}

TEST(PluginSettingsTransfer, CopiesAWholeRecordOnly) {
  PluginTestHost t;
  VL_SettingsStruct s = DefaultSettings();
  s.rgb[0].channel[0].gain = 1.75f;
  HISettingsRequest request{0, 99, 33555, 0, &s};
  EXPECT_EQ(SHSendCommand(&t.host, kHICmdCompletelyGeneral, &request), kHINoErr);
  EXPECT_EQ(request.result, -3);
  request.byte_count = 33556;
  request.data = nullptr;
  SHSendCommand(&t.host, kHICmdCompletelyGeneral, &request);
  EXPECT_EQ(request.result, -3);
  request.data = &s;
  SHSendCommand(&t.host, kHICmdCompletelyGeneral, &request);
  EXPECT_EQ(request.result, 0);
  EXPECT_EQ(t.settings().rgb[0].channel[0].gain, 1.75f);
  HISettingsRequest other{1, 55, 33556, 0, &s};
  SHSendCommand(&t.host, kHICmdCompletelyGeneral, &other);
  EXPECT_EQ(other.result, 55);
  SHSendCommand(&t.host, kHICmdSequenceSetdown);
  request.result = 99;
  SHSendCommand(&t.host, kHICmdCompletelyGeneral, &request);
  EXPECT_EQ(request.result, -2);
}

}  // namespace
