// The editor's images as the plug-in library carries them: registered with
// the resource lookup, each loads by its resource id pixel for pixel as the
// committed file, which the editor-image test checks for sizes and frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "bitmap/Png.h"
#include "plugin/ModuleImages.h"

namespace {

TEST(ModuleImages, EachLoadsByItsIdAsTheCommittedFile) {
  RegisterModuleImages();
  const struct {
    int id;
    const char* name;
  } images[] = {{105, "back"}, {101, "knob"}, {107, "knob_small"}, {102, "redLight"}, {108, "font-white"}};
  // The images for 150 % and 200 % take ids 1000 and 2000 higher.
  const struct {
    int idOffset;
    const char* suffix;
  } scales[] = {{0, ".png"}, {1000, "@150.png"}, {2000, "@200.png"}};
  for (const auto& scale : scales) {
    for (const auto& image : images) {
      const std::string file = image.name + std::string(scale.suffix);
      std::unique_ptr<BM_IBitmap> committed(LoadPngFile(("plugin/resources/img/" + file).c_str()));
      std::unique_ptr<BM_IBitmap> carried(LoadPngResource(nullptr, image.id + scale.idOffset));
      ASSERT_NE(committed, nullptr) << file;
      ASSERT_NE(carried, nullptr) << file;
      ASSERT_EQ(carried->GetWidth(), committed->GetWidth()) << file;
      ASSERT_EQ(carried->GetHeight(), committed->GetHeight()) << file;
      for (int y = 0; y < committed->GetHeight(); ++y) {
        const BM_Color32* want = committed->GetBits() + static_cast<size_t>(y) * committed->GetRowSpan();
        const BM_Color32* got = carried->GetBits() + static_cast<size_t>(y) * carried->GetRowSpan();
        const int width = committed->GetWidth();
        const int x = static_cast<int>(std::mismatch(want, want + width, got).first - want);
        ASSERT_EQ(x, width) << file << " differs at " << x << "," << y;
      }
    }
  }
}

}  // namespace
