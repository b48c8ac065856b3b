# kestrune_layer(NAME [OBJECT] FOLDERS path... LINKS target...)
#
# Declares the library NAME of a layer. Headers are included from the source
# root ("mesh/mesh.h"), but the source root is on no include path: each
# library gets an include tree of its own in the build folder,
# include/NAME/<path> -> <source>/<path> for each folder (or single header) it
# owns, and sees the trees of the libraries it links to, never those above
# it. A source that includes a header of a higher layer does not compile.
# The folders' own CMakeLists.txt add the sources (target_sources).
function(kestrune_layer name)
  cmake_parse_arguments(PARSE_ARGV 1 layer "OBJECT" "" "FOLDERS;LINKS")
  if(layer_OBJECT)
    add_library(${name} OBJECT)
  else()
    add_library(${name} STATIC)
  endif()
  target_link_libraries(${name} PUBLIC ${layer_LINKS})
  if(NOT layer_FOLDERS)
    return()
  endif()
  # Links only: removing the tree never touches the sources behind them.
  set(tree ${CMAKE_BINARY_DIR}/include/${name})
  file(REMOVE_RECURSE ${tree})
  foreach(path IN LISTS layer_FOLDERS)
    if(NOT EXISTS ${CMAKE_SOURCE_DIR}/${path})
      message(FATAL_ERROR "kestrune_layer(${name}): no ${path} in the sources")
    endif()
    get_filename_component(parent ${tree}/${path} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${path} ${tree}/${path} SYMBOLIC)
  endforeach()
  target_include_directories(${name} PUBLIC ${tree})
endfunction()
