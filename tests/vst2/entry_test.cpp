// The exported entry points of a plug-in library serialise construction:
// instances requested from many threads at once are built one at a time.

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "framework/vst2/VstDefs.h"
#include "tests/framework/LockProbe.h"
#include "tests/vst2/PluginLibrary.h"

namespace {

TEST(EntryPoints, ConstructionIsSerialisedAcrossThreads) {
  void* library = vst2test::OpenLibrary(MORVANE_PROBE_PATH);
  ASSERT_NE(library, nullptr) << vst2test::LibraryError();
  auto entry = reinterpret_cast<VstPluginMainProc>(vst2test::FindSymbol(library, "VSTPluginMain"));
  auto oldEntry = reinterpret_cast<VstPluginMainProc>(vst2test::FindSymbol(library, "main"));
  ASSERT_NE(entry, nullptr);
  ASSERT_NE(oldEntry, nullptr);

  const int kThreads = 6;
  const int kEach = 5;
  std::vector<std::vector<AEffect*>> made(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kEach; ++i) made[t].push_back(((t + i) % 2 ? oldEntry : entry)(nullptr));
    });
  }
  for (std::thread& th : threads) th.join();

  for (const std::vector<AEffect*>& list : made) {
    ASSERT_EQ(list.size(), static_cast<size_t>(kEach));
    for (AEffect* e : list) {
      ASSERT_NE(e, nullptr);
      EXPECT_EQ(e->numPrograms, 1);
      // The constructor saw only itself running.
      EXPECT_FLOAT_EQ(e->getParameter(e, 0), 1.0f / 100.0f);
      e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
    }
  }
  vst2test::CloseLibrary(library);
}

// A plug-in that cannot be made gives the host null from both entry points,
// and the construction lock is free again for the next instantiation on any
// thread.
TEST(EntryPoints, FailedConstructionAnswersNull) {
  void* library = vst2test::OpenLibrary(MORVANE_REFUSING_PROBE_PATH);
  ASSERT_NE(library, nullptr) << vst2test::LibraryError();
  auto entry = reinterpret_cast<VstPluginMainProc>(vst2test::FindSymbol(library, "VSTPluginMain"));
  auto oldEntry = reinterpret_cast<VstPluginMainProc>(vst2test::FindSymbol(library, "main"));
  ASSERT_NE(entry, nullptr);
  ASSERT_NE(oldEntry, nullptr);
  AEffect* made[2] = {reinterpret_cast<AEffect*>(1), reinterpret_cast<AEffect*>(1)};
  std::thread([&] { made[0] = entry(nullptr); }).join();
  morvane_test::FinishesOrAbort("an entry point after a failed construction", [&] { made[1] = oldEntry(nullptr); });
  EXPECT_EQ(made[0], nullptr);
  EXPECT_EQ(made[1], nullptr);
  vst2test::CloseLibrary(library);
}

}  // namespace
