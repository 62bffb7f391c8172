# Each layer of the tool is a library that sees only its own headers and
# those of the layers below it. Its include root is a folder of links to
# exactly those layers, so a wrong-way include fails to compile.
set(QUORVANE_LAYER_VIEWS ${CMAKE_BINARY_DIR}/layer-views)

function(quorvane_layer_view target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "SEES")
  set(view ${QUORVANE_LAYER_VIEWS}/${target})
  file(REMOVE_RECURSE ${view})
  file(MAKE_DIRECTORY ${view})
  foreach(layer IN LISTS arg_SEES)
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${layer} ${view}/${layer} SYMBOLIC COPY_ON_ERROR)
  endforeach()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${view})
  else()
    target_include_directories(${target} PUBLIC ${view})
  endif()
endfunction()
