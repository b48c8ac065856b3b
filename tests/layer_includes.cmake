# Compiles one-line files in the include scope of each library (its
# INCLUDE_DIRECTORIES, passed as -D<library>=dir|dir...): a header the library
# may include must be found, a header of a layer above it must not be.
# Arguments: CXX, the compiler; WORK, a scratch folder outside the sources.
#
#   library | a header it may include | headers above it, separated by commas
set(rows
  "kestrune_core|mesh/mesh.h|platform/platform.h,state/messages.h,render/camera.h,exchange/scene/texture_file.h,app/frame.h,tools/batch.h"
  "kestrune_platform|platform/platform.h|state/messages.h,platform/scripted/scripted.h,platform/qt/qt_shell.h"
  "kestrune_state|platform/platform.h|render/camera.h,exchange/scene/texture_file.h"
  "kestrune_render|state/program_state.h|edit/picking.h,exchange/scene/texture_file.h"
  "kestrune_edit|render/camera.h|app/frame.h"
  "kestrune_scene|core/safe_file.h|exchange/reader/model_import.h,exchange/import/incoming_model.h,exchange/export/model_output.h,state/messages.h,platform/platform.h"
  "kestrune_reader|exchange/scene/import_wire.h|exchange/import/contained_import.h,exchange/export/model_output.h,state/messages.h,render/camera.h"
  "kestrune_import|exchange/scene/import_wire.h|exchange/reader/model_import.h,exchange/reader/fast_import.h,exchange/reader/reader_sandbox.h,exchange/export/model_output.h,state/messages.h"
  "kestrune_export|exchange/scene/texture_file.h|exchange/reader/model_import.h,exchange/reader/confined_io.h,exchange/reader/scene_merge.h,exchange/import/incoming_model.h,render/camera.h"
  "kestrune_app|edit/picking.h|tools/batch.h,platform/scripted/scripted.h,exchange/reader/model_import.h"
  "kestrune_platform_scripted|platform/scripted/scripted.h|state/messages.h,render/camera.h"
  "kestrune_platform_qt|platform/qt/qt_shell.h|state/messages.h,render/camera.h,app/frame.h"
  "kestrune_batch|exchange/export/model_output.h|app/frame.h,render/camera.h,platform/scripted/scripted.h,exchange/reader/model_import.h"
  "kestrune_picture|app/frame.h|exchange/reader/model_import.h")

file(MAKE_DIRECTORY ${WORK})
set(failures 0)
# Sets `found` to TRUE when `header` compiles in `library`'s scope, to FALSE
# when it is not found; any other error is a failure of the test itself.
function(probe library header)
  string(REPLACE "|" ";" dirs "${${library}}")
  if(NOT dirs)
    message(FATAL_ERROR "no include directories given for ${library}")
  endif()
  list(TRANSFORM dirs PREPEND "-I")
  string(MAKE_C_IDENTIFIER "${library}_${header}" name)
  file(WRITE ${WORK}/${name}.cpp "#include \"${header}\"\n")
  execute_process(COMMAND ${CXX} -std=c++20 -fsyntax-only ${dirs} ${WORK}/${name}.cpp
                  RESULT_VARIABLE status ERROR_VARIABLE errors OUTPUT_QUIET)
  if(status EQUAL 0)
    set(found TRUE PARENT_SCOPE)
  elseif(errors MATCHES "${header}'?:? (No such file or directory|file not found)")
    set(found FALSE PARENT_SCOPE)
  else()
    message(FATAL_ERROR "${library}: \"${header}\" fails for another reason:\n${errors}")
  endif()
endfunction()

foreach(row IN LISTS rows)
  string(REPLACE "|" ";" row "${row}")
  string(REPLACE "," ";" row "${row}")
  list(GET row 0 library)
  # A library this build leaves out (the Qt window without KESTRUNE_GUI).
  if(NOT DEFINED ${library})
    continue()
  endif()
  list(GET row 1 lower)
  list(SUBLIST row 2 -1 higher)
  probe(${library} ${lower})
  if(NOT found)
    message(SEND_ERROR "${library} cannot include \"${lower}\", a header of its own scope")
    math(EXPR failures "${failures} + 1")
  endif()
  foreach(header IN LISTS higher)
    probe(${library} ${header})
    if(found)
      message(SEND_ERROR "${library} can include \"${header}\", a header of a layer above it")
      math(EXPR failures "${failures} + 1")
    endif()
  endforeach()
endforeach()
set(libraries 0)
foreach(row IN LISTS rows)
  string(REGEX REPLACE "\\|.*" "" library "${row}")
  if(DEFINED ${library})
    math(EXPR libraries "${libraries} + 1")
  endif()
endforeach()
message(STATUS "layer includes: ${libraries} libraries, ${failures} wrong scopes")
if(failures GREATER 0)
  message(FATAL_ERROR "some libraries see headers outside their layer's scope")
endif()
