# The folders depend on each other in one direction only. Reads every #include of a
# project header under platform/, pellavo/ and examples/ and fails, naming file:line and
# the edge, on any include between folders that the allow-list below does not name.
#
#   ns  <-  dispatch  <-  cg  <-  ci  <-  ca  <-  ui  <-  backend
#                                                 ^
#                                                 +--  pellavo  <-  examples
#
# - A folder includes itself and the folders below it, never one above.
# - platform/Platform.cpp and Platform.hpp (the folder "Platform" below, the composition
#   root) are the platform's one place that names backend/: they install the backend's
#   HTTP transport and image codec into the layers below.
# - pellavo/ never includes backend/; nothing outside platform/ includes a platform
#   detail header (one whose declarations live in a `pellavo::<module>::detail`
#   namespace, e.g. ui/text/FontSystem.hpp).
# - Nothing here includes tests/.
#
# Usage: cmake -DSOURCE_DIR=<checkout> -P tests/layering.cmake

cmake_minimum_required(VERSION 3.25)

if(NOT SOURCE_DIR)
  message(FATAL_ERROR "layering: pass -DSOURCE_DIR=<checkout>")
endif()

set(below_ns "")
set(below_dispatch ns)
set(below_cg ns dispatch)
set(below_ci ns dispatch cg)
set(below_ca ns dispatch cg ci)
set(below_ui ns dispatch cg ci ca)
set(below_backend ns dispatch cg ci ca ui)
set(below_Platform ns dispatch cg ci ca ui backend)
set(below_pellavo ns dispatch cg ci ca ui)
set(below_examples ns dispatch cg ci ca ui backend Platform pellavo)

# The folder a path (relative to the checkout) belongs to, or "" when it is outside
# the scanned tree.
function(folder_of path out)
  if(path STREQUAL "platform/Platform.cpp" OR path STREQUAL "platform/Platform.hpp")
    set(${out} Platform PARENT_SCOPE)
  elseif(path MATCHES "^platform/([^/]+)/")
    set(${out} ${CMAKE_MATCH_1} PARENT_SCOPE)
  elseif(path MATCHES "^(pellavo|examples|tests)/")
    set(${out} ${CMAKE_MATCH_1} PARENT_SCOPE)
  else()
    set(${out} "" PARENT_SCOPE)
  endif()
endfunction()

file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR}
  ${SOURCE_DIR}/platform/*.cpp ${SOURCE_DIR}/platform/*.hpp ${SOURCE_DIR}/platform/*.h
  ${SOURCE_DIR}/pellavo/*.cpp ${SOURCE_DIR}/pellavo/*.hpp ${SOURCE_DIR}/pellavo/*.h
  ${SOURCE_DIR}/examples/*.cpp ${SOURCE_DIR}/examples/*.hpp ${SOURCE_DIR}/examples/*.h)
list(LENGTH sources source_count)
if(source_count LESS 100)
  message(FATAL_ERROR "layering: found only ${source_count} sources under ${SOURCE_DIR}; wrong SOURCE_DIR?")
endif()

# Platform headers whose declarations live in a detail namespace.
set(detail_headers "")
foreach(path IN LISTS sources)
  if(path MATCHES "^platform/.*\\.hpp$")
    file(STRINGS ${SOURCE_DIR}/${path} opens REGEX "^namespace pellavo::[a-z]+::detail[ {]")
    if(opens)
      list(APPEND detail_headers ${path})
    endif()
  endif()
endforeach()

set(violations 0)
set(edges 0)
foreach(path IN LISTS sources)
  folder_of(${path} from)
  if(NOT DEFINED below_${from})
    message(NOTICE "layering: ${path}: folder '${from}' is not in the allow-list; add it in its place")
    math(EXPR violations "${violations} + 1")
    continue()
  endif()

  # Only the lines up to the last include are read, split into a list; characters that
  # CMake lists treat specially are neutralised first.
  file(READ ${SOURCE_DIR}/${path} content)
  string(FIND "${content}" "#include" last REVERSE)
  if(last EQUAL -1)
    continue()
  endif()
  string(SUBSTRING "${content}" ${last} -1 tail)
  string(FIND "${tail}" "\n" end)
  if(end EQUAL -1)
    set(head "${content}")
  else()
    math(EXPR end "${last} + ${end}")
    string(SUBSTRING "${content}" 0 ${end} head)
  endif()
  string(REGEX REPLACE "[][;\\\\]" "_" head "${head}")
  string(REPLACE "\n" ";" lines "${head}_")

  set(number 0)
  foreach(line IN LISTS lines)
    math(EXPR number "${number} + 1")
    if(NOT line MATCHES "^[ \t]*#[ \t]*include[ \t]*[<\"]((platform|pellavo|examples|tests)/[^\">]+)[\">]")
      continue()
    endif()
    set(included ${CMAKE_MATCH_1})
    math(EXPR edges "${edges} + 1")
    folder_of(${included} to)
    set(problem "")
    if(to STREQUAL from)
      # A folder includes itself freely.
    elseif(NOT to IN_LIST below_${from})
      list(JOIN below_${from} ", " allowed)
      if(allowed STREQUAL "")
        set(allowed "nothing")
      endif()
      set(problem "${from} -> ${to} is not allowed (${from} may include: ${allowed})")
    endif()
    if(NOT from MATCHES "^(Platform|ns|dispatch|cg|ci|ca|ui|backend)$" AND included IN_LIST detail_headers)
      set(problem "${from} -> ${included} is a platform detail header")
    endif()
    if(problem)
      message(NOTICE "${path}:${number}: #include \"${included}\": ${problem}")
      math(EXPR violations "${violations} + 1")
    endif()
  endforeach()
endforeach()

list(LENGTH detail_headers detail_count)
if(violations GREATER 0)
  message(FATAL_ERROR "layering: ${violations} include(s) point the wrong way")
endif()
message(STATUS "layering: ${source_count} files, ${edges} project includes, ${detail_count} detail headers; every edge points down")
