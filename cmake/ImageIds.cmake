# The list of editor images: plugin/resources/ImageIds.txt holds one line
# "<id> <file name> <constant>" per image (# starts a comment). The build
# embeds the images from it (Linux), makes the module's resource script from
# it (Windows), and generates the plug-in's table of image ids from it, so
# the ids are written down once.
#
#   morvane_read_image_ids(<ids file> <prefix>)
#     sets <prefix>_IDS, <prefix>_FILES and <prefix>_CONSTANTS, three lists
#     in the order of the file; a malformed line is a configure error.
#   morvane_write_image_id_header(<ids file> <output header>)
#     writes a header with one `constexpr ImageResource <constant>` per line
#     (plugin/ImageResource.h declares the record).

function(morvane_read_image_ids ids_file prefix)
  file(STRINGS "${ids_file}" _lines)
  set(_ids "")
  set(_files "")
  set(_constants "")
  foreach(_line IN LISTS _lines)
    if(_line MATCHES "^[ \t]*(#|$)")
      continue()
    endif()
    if(NOT _line MATCHES "^[ \t]*([0-9]+)[ \t]+([^ \t#]+)[ \t]+(k[A-Za-z0-9_]+)[ \t]*(#.*)?$")
      message(FATAL_ERROR "${ids_file}: '${_line}' is not '<id> <file name> <constant>'")
    endif()
    list(APPEND _ids ${CMAKE_MATCH_1})
    list(APPEND _files ${CMAKE_MATCH_2})
    list(APPEND _constants ${CMAKE_MATCH_3})
  endforeach()
  set(${prefix}_IDS "${_ids}" PARENT_SCOPE)
  set(${prefix}_FILES "${_files}" PARENT_SCOPE)
  set(${prefix}_CONSTANTS "${_constants}" PARENT_SCOPE)
endfunction()

function(morvane_write_image_id_header ids_file output)
  morvane_read_image_ids("${ids_file}" _img)
  set(_body "")
  foreach(_id _file _constant IN ZIP_LISTS _img_IDS _img_FILES _img_CONSTANTS)
    string(APPEND _body "constexpr ImageResource ${_constant} = {${_id}, \"resources/img/${_file}\"};\n")
  endforeach()
  set(_text "// Generated from plugin/resources/ImageIds.txt by the build; do not edit.
#pragma once
#include \"plugin/ImageResource.h\"

namespace morvane {
${_body}}  // namespace morvane
")
  # Written only when it changes, so an unchanged list rebuilds nothing.
  set(_old "")
  if(EXISTS "${output}")
    file(READ "${output}" _old)
  endif()
  if(NOT _old STREQUAL _text)
    file(WRITE "${output}" "${_text}")
  endif()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${ids_file}")
endfunction()
