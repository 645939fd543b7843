#pragma once
// One editor image of the plug-in library: its resource id and its file name
// (the extension chooses the decoder). The ids are listed once, in
// plugin/resources/ImageIds.txt, from which the build generates
// MorvaneImageIds.h.
struct ImageResource {
  int id;
  const char* name;
};
