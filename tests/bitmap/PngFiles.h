#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace bmtest {

// A scratch folder for files, removed with its files afterwards. Names are
// UTF-8, as the loader and the writer take them.
class PngFiles : public testing::Test {
protected:
  void SetUp() override {
    namespace fs = std::filesystem;
    std::random_device entropy;
    fs::path dir;
    do {
      dir = fs::temp_directory_path() / ("bitmap-png-" + std::to_string(entropy()));
    } while (!fs::create_directory(dir));
    mDir = dir.u8string();
  }
  void TearDown() override { std::filesystem::remove_all(std::filesystem::u8path(mDir)); }
  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::string path = mDir + "/" + name;
    std::ofstream out(std::filesystem::u8path(path), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    EXPECT_TRUE(out.good()) << path;
    return path;
  }
  std::string MakeDir(const std::string& name) {
    std::string path = mDir + "/" + name;
    std::filesystem::create_directory(std::filesystem::u8path(path));
    return path;
  }
  std::string mDir;
};

}  // namespace bmtest
