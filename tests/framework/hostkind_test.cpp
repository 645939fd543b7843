// Host lookup by product name and version packing, one or a few product names
// for each rule of the lookup.
#include <gtest/gtest.h>

#include <string>

#include "framework/HostKind.h"

namespace {

// Names are searched lower-cased for a known word anywhere in them. The four
// hosts the adapter limits to stereo are here under their product names.
TEST(HostKind, AKnownWordAnywhereInTheNameInAnyCase) {
  EXPECT_EQ(LookUpHost("REAPER"), kHostReaper);
  EXPECT_EQ(LookUpHost("Cubase VST"), kHostCubase);
  EXPECT_EQ(LookUpHost("Ableton Live"), kHostLive);
  EXPECT_EQ(LookUpHost("PreSonus Studio One"), kHostPresonus);
  EXPECT_EQ(LookUpHost("FORTE"), kHostForte);
  EXPECT_EQ(LookUpHost("Adobe Audition"), kHostAudition);
  EXPECT_EQ(LookUpHost("Orion"), kHostOrion);
  EXPECT_EQ(LookUpHost("SAWStudio"), kHostSAWStudio);
  EXPECT_EQ(LookUpHost("VST3PluginTestHost"), kHostVst3PluginTestHost);
  EXPECT_EQ(LookUpHost("ProTools"), kHostProTools);
  EXPECT_EQ(LookUpHost("Pro Tools"), kHostUnknown);  // the word is "protools"
  EXPECT_EQ(LookUpHost("Oliver"), kHostLive);        // a plain substring search
}

// A name holding several known words is the host whose word comes first in
// the search order, wherever the words stand in the name.
TEST(HostKind, FirstWordOfTheSearchOrderDecides) {
  EXPECT_EQ(LookUpHost("reaper cubase"), kHostCubase);
  EXPECT_EQ(LookUpHost("logic live"), kHostLive);
  EXPECT_EQ(LookUpHost("Digital Audition"), kHostAudition);
  EXPECT_EQ(LookUpHost("Ardour Standalone"), kHostArdour);
}

TEST(HostKind, UnknownNames) {
  EXPECT_EQ(LookUpHost(""), kHostUnknown);
  EXPECT_EQ(LookUpHost(nullptr), kHostUnknown);
  EXPECT_EQ(LookUpHost("Some Host"), kHostUnknown);
  EXPECT_EQ(LookUpHost("R\xC9" "APER"), kHostUnknown);  // only A to Z are lowered
  EXPECT_EQ(LookUpHost("\xC9REAPER"), kHostReaper);
}

TEST(HostKind, LongNamesAreCutAt255) {
  std::string name(250, 'x');
  name += "reaper";  // the word ends at character 256
  EXPECT_EQ(LookUpHost(name.c_str()), kHostUnknown);
  std::string fits(249, 'x');
  fits += "reaper";  // ends at character 255
  EXPECT_EQ(LookUpHost(fits.c_str()), kHostReaper);
  std::string huge(100000, 'y');
  EXPECT_EQ(LookUpHost(huge.c_str()), kHostUnknown);
}

TEST(HostKind, PackHostVersion) {
  EXPECT_EQ(PackHostVersion(50201), 0x00050201);
  EXPECT_EQ(PackHostVersion(0), 0);
  EXPECT_EQ(PackHostVersion(99), 99);
  EXPECT_EQ(PackHostVersion(123456), (12 << 16) | (34 << 8) | 56);
  PackHostVersion(2147483647);  // no overflow trap
  PackHostVersion(-2147483647 - 1);
}

}  // namespace
