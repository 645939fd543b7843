# The plug-in library hosts load: Morvane.so on Linux (Morvane.dll on
# Windows), exporting only VSTPluginMain and main.
if(COMMAND morvane_add_vst2_module AND TARGET plugin)
  morvane_add_vst2_module(Morvane LIBS plugin)

  if(WIN32)
    # The images and the version as module resources. A tree without all the
    # images still builds (with a warning); the DLL's file check then fails.
    set(MORVANE_IMAGE_DIR ${CMAKE_CURRENT_SOURCE_DIR}/resources/img)
    set(_images back.png knob.png knob_small.png redLight.png font-white.png)
    list(TRANSFORM _images PREPEND ${MORVANE_IMAGE_DIR}/ OUTPUT_VARIABLE _image_paths)
    set(_with_images ON)
    foreach(path IN LISTS _image_paths)
      if(NOT EXISTS ${path})
        set(_with_images OFF)
      endif()
    endforeach()
    configure_file(resources/Morvane.rc.in ${CMAKE_CURRENT_BINARY_DIR}/Morvane.rc @ONLY)
    target_sources(Morvane PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/Morvane.rc)
    if(_with_images)
      set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/Morvane.rc PROPERTIES
        COMPILE_DEFINITIONS MORVANE_WITH_IMAGES
        OBJECT_DEPENDS "${_image_paths}")
    else()
      message(WARNING "Morvane.dll is built without its images: not all of ${_images} are in ${MORVANE_IMAGE_DIR}")
    endif()
    morvane_add_dll_check(Morvane)
  endif()
endif()
