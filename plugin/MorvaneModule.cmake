# The plug-in library hosts load: Morvane.so on Linux (Morvane.dll on
# Windows), exporting only VSTPluginMain and main.
if(COMMAND morvane_add_vst2_module AND TARGET plugin)
  morvane_add_vst2_module(Morvane LIBS plugin)

  if(WIN32)
    # The images and the version as module resources, the images under the
    # ids of resources/ImageIds.txt. A tree without all the images still
    # builds (with a warning); the DLL's file check then fails.
    set(_image_dir ${CMAKE_CURRENT_SOURCE_DIR}/resources/img)
    file(STRINGS ${CMAKE_CURRENT_SOURCE_DIR}/resources/ImageIds.txt _lines REGEX "^[ \t]*[0-9]+[ \t]+[^ \t#]+")
    set(MORVANE_IMAGE_RESOURCES "")
    set(_image_paths "")
    set(_missing "")
    foreach(line IN LISTS _lines)
      string(REGEX MATCH "^[ \t]*([0-9]+)[ \t]+([^ \t#]+)" _ "${line}")
      if(EXISTS ${_image_dir}/${CMAKE_MATCH_2})
        string(APPEND MORVANE_IMAGE_RESOURCES "${CMAKE_MATCH_1} PNG \"${_image_dir}/${CMAKE_MATCH_2}\"\n")
        list(APPEND _image_paths ${_image_dir}/${CMAKE_MATCH_2})
      else()
        list(APPEND _missing ${CMAKE_MATCH_2})
      endif()
    endforeach()
    if(_missing)
      message(WARNING "Morvane.dll is built without the images ${_missing}: they are not in ${_image_dir}")
    endif()
    configure_file(resources/Morvane.rc.in ${CMAKE_CURRENT_BINARY_DIR}/Morvane.rc @ONLY)
    target_sources(Morvane PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/Morvane.rc)
    set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/Morvane.rc PROPERTIES OBJECT_DEPENDS "${_image_paths}")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
      ${CMAKE_CURRENT_SOURCE_DIR}/resources/ImageIds.txt)
    morvane_add_dll_check(Morvane)
  endif()
endif()
