# The plug-in library hosts load: Morvane.so on Linux (Morvane.dll on
# Windows), exporting only VSTPluginMain and main.
if(COMMAND morvane_add_vst2_module AND TARGET plugin)
  morvane_add_vst2_module(Morvane LIBS plugin)
endif()
