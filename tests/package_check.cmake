# What a host does with an installed Pellavo: installs the build into a temporary prefix,
# moves the prefix (the installed files must not name where they were built), builds
# examples/hello against it with find_package alone, runs it headless for a few frames,
# and compiles and links one file with pkg-config's flags.
# Usage: cmake -DBUILD_DIR=<build> -DSOURCE_DIR=<checkout> -DCONFIG=<config> -DCXX=<compiler> -P package_check.cmake
cmake_minimum_required(VERSION 3.25)
set(work "${BUILD_DIR}/package-check")
file(REMOVE_RECURSE "${work}")

function(run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${what} failed (${rc}):\n${out}\n${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

run("install" ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${work}/built-here" --config "${CONFIG}")
file(RENAME "${work}/built-here" "${work}/prefix")
set(prefix "${work}/prefix")

file(GLOB_RECURSE text_files "${prefix}/*.cmake" "${prefix}/*.pc")
foreach(file IN LISTS text_files)
  file(READ "${file}" content)
  foreach(path "${BUILD_DIR}" "${SOURCE_DIR}" "${work}/built-here")
    string(FIND "${content}" "${path}" at)
    if(NOT at EQUAL -1)
      message(FATAL_ERROR "${file} names ${path}: the installed tree cannot move")
    endif()
  endforeach()
endforeach()

# Every installed header compiles alone, with the installed include folder only.
file(GLOB_RECURSE headers RELATIVE "${prefix}/include" "${prefix}/include/*.hpp")
set(units "")
foreach(header IN LISTS headers)
  string(MAKE_C_IDENTIFIER "${header}" unit)
  file(WRITE "${work}/alone/${unit}.cpp" "#include <${header}>\n")
  list(APPEND units "${unit}.cpp")
endforeach()
file(WRITE "${work}/alone/CMakeLists.txt" "cmake_minimum_required(VERSION 3.25)\nproject(alone CXX)\n"
  "add_library(alone OBJECT ${units})\ntarget_compile_features(alone PRIVATE cxx_std_20)\n"
  "target_include_directories(alone PRIVATE \"${prefix}/include\")\n"
  "target_compile_options(alone PRIVATE -fsyntax-only -Wall -Wextra -Werror)\n")
run("configuring the header check" ${CMAKE_COMMAND} -S "${work}/alone" -B "${work}/alone/build" -G Ninja
    -DCMAKE_CXX_COMPILER=${CXX})
run("compiling each installed header alone" ${CMAKE_COMMAND} --build "${work}/alone/build" -j 3)

# The example, as a host builds it: its own project, the prefix and nothing else.
run("configuring examples/hello" ${CMAKE_COMMAND} -S "${SOURCE_DIR}/examples/hello" -B "${work}/hello" -G Ninja
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_PREFIX_PATH=${prefix}
    -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF -DCMAKE_FIND_USE_SYSTEM_PACKAGE_REGISTRY=OFF)
run("building examples/hello" ${CMAKE_COMMAND} --build "${work}/hello")
run("running hello headless" "${work}/hello/hello" --png "${work}/hello.png" --frames 10)
file(SIZE "${work}/hello.png" size)
file(READ "${work}/hello.png" signature LIMIT 4 HEX)
if(size EQUAL 0 OR NOT signature STREQUAL "89504e47")
  message(FATAL_ERROR "hello wrote no PNG picture (${size} bytes)")
endif()
# hello prints its label whenever the stepper changes; it starts at 5.
string(STRIP "${out}" printed)
if(NOT printed STREQUAL "Value: 5")
  message(FATAL_ERROR "hello's label reads '${printed}', not the stepper's value 'Value: 5'")
endif()

# pkg-config: one file, compiled and linked with the flags it gives.
set(ENV{PKG_CONFIG_PATH} "")
file(GLOB pc_dir LIST_DIRECTORIES true "${prefix}/lib*/pkgconfig" "${prefix}/lib/*/pkgconfig")
set(ENV{PKG_CONFIG_LIBDIR} "${pc_dir}")
run("pkg-config" pkg-config --cflags --libs pellavo)
separate_arguments(flags UNIX_COMMAND "${out}")
file(WRITE "${work}/one.cpp" "#include <pellavo/Pellavo.hpp>\nint main() { return PellavoVersionNumber > 0 ? 0 : 1; }\n")
run("compiling with pkg-config's flags" ${CXX} -std=c++20 "${work}/one.cpp" ${flags} -o "${work}/one")

file(REMOVE_RECURSE "${work}")
message(STATUS "package ok: find_package, pkg-config and the headless hello")
