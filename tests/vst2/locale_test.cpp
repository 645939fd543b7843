// Under a locale whose decimal mark is ',' (GTK and Qt hosts run with the
// user's): the texts a host reads keep '.', the host's own texts are read
// with either mark, and so are the editor's entries. The process takes the
// German locale the build made (LOCPATH points at it).
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>

#include "editor/IEditorWindowLogic.h"
#include "framework/IParameter.h"
#include "framework/vst2/VstDefs.h"
#include "plugin/ValueText.h"
#include "tests/vst2/PluginLibrary.h"
#include "tests/vst2/RecordingHost.h"

namespace {

class CommaLocale : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr) << "the build's de_DE.UTF-8 locale (LOCPATH) is missing";
    char text[16];
    std::snprintf(text, sizeof text, "%.2f", 12.5);
    ASSERT_STREQ(text, "12,50") << "the locale is not in effect";
    sLibrary = vst2test::OpenLibrary(MORVANE_PLUGIN_PATH);
    ASSERT_NE(sLibrary, nullptr) << vst2test::LibraryError();
  }
  static void TearDownTestSuite() {
    if (sLibrary) vst2test::CloseLibrary(sLibrary);
    std::setlocale(LC_ALL, "C");
  }
  void SetUp() override {
    auto entry = reinterpret_cast<VstPluginMainProc>(vst2test::FindSymbol(sLibrary, "VSTPluginMain"));
    ASSERT_NE(entry, nullptr);
    effect = entry(&RecordingHost::Callback);
    ASSERT_NE(effect, nullptr);
    effect->user = &host;
    Dispatch(effect, effOpen);
  }
  void TearDown() override { Dispatch(effect, effClose); }

  std::string Display(int index) {
    char text[64] = "";
    Dispatch(effect, effGetParamDisplay, index, 0, text);
    return text;
  }
  void Type(int index, const char* text) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%s", text);
    EXPECT_EQ(Dispatch(effect, effString2Parameter, index, 0, buffer), 1) << text;
  }

  static void* sLibrary;
  RecordingHost host;
  AEffect* effect = nullptr;
};

void* CommaLocale::sLibrary = nullptr;

// A host shows the display text and hands it back in its edit box.
TEST_F(CommaLocale, HostTextsKeepThePointAndReadEitherMark) {
  constexpr int kAttackLength = 3;
  Type(kAttackLength, "12.5");
  EXPECT_EQ(Display(kAttackLength), "12.50");
  Type(kAttackLength, Display(kAttackLength).c_str());
  EXPECT_EQ(Display(kAttackLength), "12.50");
  Type(kAttackLength, "7,25");
  EXPECT_EQ(Display(kAttackLength), "7.25");

  // The text of any normalised value (a host's automation lane).
  char text[64] = "";
  Dispatch(effect, effVendorSpecific, 7, kAttackLength, text, 0.5f);
  EXPECT_STREQ(text, "10.00");
}

TEST_F(CommaLocale, TheEditorsTextsAndEntriesToo) {
  char text[kValueTextSize];
  FormatValueText(-5.5, text);
  EXPECT_STREQ(text, "-5.50 %");
  FormatValueText(50.0, text);
  EXPECT_STREQ(text, "50.0 %");

  IParameter length;
  length.DefineDouble("Attack Length", 5.0, 0.0, 20.0, 0.01, "ms");
  EXPECT_TRUE(EntryAcceptsChar(&length, ','));
  EXPECT_DOUBLE_EQ(EnteredPlainValue(length, "12,5"), 12.5);
  EXPECT_DOUBLE_EQ(EnteredPlainValue(length, "12.5"), 12.5);
}

}  // namespace
