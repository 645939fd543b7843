// The editor's images as the plug-in library carries them: registered with
// the resource lookup, each loads by its resource id pixel for pixel as the
// committed file, which the editor-image test checks for sizes and frames.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "bitmap/Png.h"
#include "plugin/ModuleImages.h"

namespace {

TEST(ModuleImages, EachLoadsByItsIdAsTheCommittedFile) {
  RegisterModuleImages();
  const struct {
    int id;
    const char* file;
  } images[] = {{105, "back.png"}, {101, "knob.png"}, {107, "knob_small.png"}, {102, "redLight.png"},
                {108, "font-white.png"}};
  for (const auto& image : images) {
    std::unique_ptr<BM_IBitmap> file(LoadPngFile((std::string("plugin/resources/img/") + image.file).c_str()));
    std::unique_ptr<BM_IBitmap> carried(LoadPngResource(nullptr, image.id));
    ASSERT_NE(file, nullptr) << image.file;
    ASSERT_NE(carried, nullptr) << image.file;
    ASSERT_EQ(carried->GetWidth(), file->GetWidth()) << image.file;
    ASSERT_EQ(carried->GetHeight(), file->GetHeight()) << image.file;
    for (int y = 0; y < file->GetHeight(); ++y) {
      for (int x = 0; x < file->GetWidth(); ++x) {
        ASSERT_EQ(carried->GetBits()[y * carried->GetRowSpan() + x], file->GetBits()[y * file->GetRowSpan() + x])
            << image.file << " at " << x << "," << y;
      }
    }
  }
}

}  // namespace
