#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <string>

#include "bitmap/PngWrite.h"
#include "editor/IControl.h"
#include "editor/offscreen/IGraphicsOffscreen.h"
#include "plugin/Morvane.h"

// Morvane's editor drawn with the committed images, loaded from the plug-in's
// module as hosts load them.
namespace {

// A plug-in as a host makes and opens it, with its editor open and drawn once.
struct OpenedEditor {
  OpenedEditor() : plug(nullptr, IGraphicsOffscreen::Make) {
    graphics = static_cast<IGraphicsOffscreen*>(plug.GetEditor());
    plug.Dispatch(effOpen, 0, 0, nullptr, 0.0f);
    plug.Dispatch(effEditOpen, 0, 0, nullptr, 0.0f);
    graphics->Tick();
  }
  Morvane plug;
  IGraphicsOffscreen* graphics;
};

TEST(MorvaneEditorRender, TheDefaultEditorDrawsAsBefore) {
  OpenedEditor editor;
  ASSERT_EQ(editor.graphics->GetControl(2)->GetBounds(), IBounds(38, 56, 178, 196));  // the images loaded
  // The pixels of the whole default editor. After an intended change to the
  // images or to drawing, look at the picture written below and take its
  // checksum.
  constexpr uint64_t kDefaultChecksum = 0x807a67100b73c545ull;
  const uint64_t checksum = PixelChecksum(&editor.graphics->Screen());
  if (checksum != kDefaultChecksum) {
    const std::string path = testing::TempDir() + "morvane-editor-default.png";
    WritePngFile(&editor.graphics->Screen(), path.c_str());
    ADD_FAILURE() << "the default editor draws differently: checksum 0x" << std::hex << checksum
                  << ", picture in " << path;
  }
}

TEST(MorvaneEditorRender, ASecondInstanceDecodesNoImage) {
  OpenedEditor first;
  OpenedEditor second;
  EXPECT_EQ(second.graphics->PlatformLoadCount(), 0);
  EXPECT_EQ(PixelChecksum(&second.graphics->Screen()), PixelChecksum(&first.graphics->Screen()));
}

}  // namespace
