#include "app/surfaces/surface_definitions.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

TEST(SurfaceVocabulary, ControlIDsRoundTripThroughTheirNames) {
  for (int32_t id = 0; id <= kSurfaceLastPhysicalID; ++id)
    EXPECT_EQ(id, SurfaceControlIDFromName(SurfaceControlIDName(id))) << id;
  for (int32_t id = kSurfaceAnnounceID; id <= kSurfaceLastVirtualID; ++id)
    EXPECT_EQ(id, SurfaceControlIDFromName(SurfaceControlIDName(id))) << id;
}

TEST(SurfaceVocabulary, ControlIDNamesAtTheEdges) {
  struct Case {
    int32_t id;
    const char* name;
  } cases[] = {
      {0, "button_mrewind"},     {24, "wheel"},          {26, "ring"},
      {81, "page_s8"},           {97, "trackball2_1ring"}, {125, "trackball4_vert"},
      {512, "id"},               {513, "navbutton1_sglclk"}, {552, "button_sr3_dblclk"},
      {126, "UNKNOWN!!!!!!"},    {300, "UNKNOWN!!!!!!"}, {511, "UNKNOWN!!!!!!"},
      {553, "UNKNOWN!!!!!!"},    {-1, "UNKNOWN!!!!!!"},
  };
  for (const Case& c : cases) EXPECT_STREQ(c.name, SurfaceControlIDName(c.id)) << c.id;
  EXPECT_EQ(0, SurfaceControlIDFromName("UNKNOWN!!!!!!"));
  EXPECT_EQ(0, SurfaceControlIDFromName("Wheel"));
  EXPECT_EQ(0, SurfaceControlIDFromName(nullptr));
}

TEST(SurfaceVocabulary, Actions) {
  EXPECT_STREQ("placeholder", SurfaceActionName(0));
  EXPECT_STREQ("select_rightpane", SurfaceActionName(kSurfaceActionSelectRightPane));
  EXPECT_STREQ("compare_maskm", SurfaceActionName(20));
  EXPECT_STREQ("UNKNOWN!!!!!!", SurfaceActionName(21));
  for (int32_t a = 0; a < kSurfaceActionCount; ++a) EXPECT_EQ(a, SurfaceActionFromName(SurfaceActionName(a)));
  EXPECT_EQ(0, SurfaceActionFromName("adjust slider"));
}

TEST(SurfaceVocabulary, Colours) {
  struct Case {
    const char* name;
    uint32_t color;
  } cases[] = {{"black", 33},   {"white", 30},  {"red", 205},    {"green", 341}, {"blue", 409},
               {"cyan", 273},   {"magenta", 137}, {"yellow", 69}, {"Red", 33},    {"red ", 33},
               {"", 33}};
  for (const Case& c : cases) EXPECT_EQ(c.color, SurfaceColorFromName(c.name)) << c.name;
  EXPECT_STREQ("cyan", SurfaceColorName(273));
  EXPECT_STREQ("black", SurfaceColorName(0));
  EXPECT_STREQ("black", SurfaceColorName(1234));
}

TEST(SurfaceVocabulary, FieldNames) {
  EXPECT_STREQ("hsl_master_hue", SurfaceFieldName(16));
  EXPECT_STREQ("outputControls_highlight_recovery", SurfaceFieldName(33544));
  EXPECT_STREQ("UNKNOWN!!!!!!", SurfaceFieldName(0));
  EXPECT_STREQ("UNKNOWN!!!!!!", SurfaceFieldName(kSurfaceNoTarget));
  // The master gain name finds the gain; the master pedestal has its own name.
  EXPECT_EQ(180, SurfaceFieldFromName("rgb_master_gain"));
  EXPECT_EQ(188, SurfaceFieldFromName("rgb_master_ped"));
  EXPECT_STREQ("rgb_master_ped", SurfaceFieldName(188));
  EXPECT_EQ(kSurfaceNoTarget, SurfaceFieldFromName("UNKNOWN!!!!!!"));
  EXPECT_EQ(kSurfaceNoTarget, SurfaceFieldFromName(nullptr));
}

TEST(SurfaceTables, PagesAreNumberedFromOne) {
  SurfaceClearDefinitions();
  EXPECT_EQ(nullptr, SurfacePageHeader(0));
  EXPECT_EQ(nullptr, SurfacePageControls(8));
  EXPECT_EQ(&gSurfacePages[6], SurfacePageHeader(7));
  EXPECT_EQ(&gSurfaceControls[2][0], SurfacePageControls(3));
  EXPECT_EQ(kSurfaceNoTarget, SurfacePageControls(1)[69].target2);
  EXPECT_EQ(kSurfaceBlack, SurfacePageHeader(4)->trackballColor[3]);
  EXPECT_EQ(0, gSurfaceCurrentPage);
}
