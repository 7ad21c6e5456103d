# Installs the build into a temporary prefix and checks what a host finds there.
set(prefix "${BUILD_DIR}/install-layout-check")
file(REMOVE_RECURSE "${prefix}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${prefix}" --config "${CONFIG}"
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "install failed: ${rc}")
endif()
include(GNUInstallDirs)
set(expected
  "${CMAKE_INSTALL_LIBDIR}/libpellavo.so"
  "${CMAKE_INSTALL_LIBDIR}/libpellavo.so.5"
  "${CMAKE_INSTALL_LIBDIR}/libpellavo.so.5.2.0"
  "${CMAKE_INSTALL_LIBDIR}/libpellavo_platform.so"
  "${CMAKE_INSTALL_LIBDIR}/pellavo-resources"
  "${CMAKE_INSTALL_INCLUDEDIR}/pellavo/Pellavo.hpp"
  "${CMAKE_INSTALL_INCLUDEDIR}/pellavo/VXImageBrowser/VXImageBrowserViewController.hpp"
  "${CMAKE_INSTALL_INCLUDEDIR}/platform/ns/Object.hpp"
  "${CMAKE_INSTALL_INCLUDEDIR}/platform/cg/Geometry.hpp")
foreach(item IN LISTS expected)
  if(NOT EXISTS "${prefix}/${item}")
    message(FATAL_ERROR "installed tree lacks ${item}")
  endif()
endforeach()
set(internal
  "${CMAKE_INSTALL_INCLUDEDIR}/pellavo/VXPopoverMenuView.hpp"
  "${CMAKE_INSTALL_INCLUDEDIR}/pellavo/VXTextField/FontAnimation.hpp"
  "${CMAKE_INSTALL_INCLUDEDIR}/pellavo/VXImageBrowser/VXImageBrowserTransition.hpp")
foreach(item IN LISTS internal)
  if(EXISTS "${prefix}/${item}")
    message(FATAL_ERROR "installed tree holds the internal header ${item}")
  endif()
endforeach()
file(REMOVE_RECURSE "${prefix}")
message(STATUS "install layout ok")
