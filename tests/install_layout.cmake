# Installs the build into a temporary prefix and checks what a host finds there.
# Usage: cmake -DBUILD_DIR=<build> -DCONFIG=<config> -DVERSION=<x.y.z> -DSOVERSION=<x> -P install_layout.cmake
if(NOT VERSION OR NOT SOVERSION)
  message(FATAL_ERROR "install_layout: pass -DVERSION and -DSOVERSION (project()'s version)")
endif()
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
  "${CMAKE_INSTALL_LIBDIR}/libpellavo.so.${SOVERSION}"
  "${CMAKE_INSTALL_LIBDIR}/libpellavo.so.${VERSION}"
  "${CMAKE_INSTALL_LIBDIR}/libpellavo_platform.so"
  "${CMAKE_INSTALL_LIBDIR}/pellavo-resources"
  "${CMAKE_INSTALL_LIBDIR}/pellavo-resources/VXNumberKeyboardViewController.xml"
  "${CMAKE_INSTALL_INCLUDEDIR}/pellavo/Pellavo.hpp"
  "${CMAKE_INSTALL_INCLUDEDIR}/pellavo/Version.hpp"
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
  "${CMAKE_INSTALL_INCLUDEDIR}/pellavo/VXImageBrowser/VXImageBrowserTransition.hpp"
  "${CMAKE_INSTALL_INCLUDEDIR}/pellavo/CheckBox/VXRectangleCheckBox.hpp"
  "${CMAKE_INSTALL_INCLUDEDIR}/pellavo/DotsLoading/DotView.hpp"
  "${CMAKE_INSTALL_INCLUDEDIR}/pellavo/VXTextField/Line.hpp"
  "${CMAKE_INSTALL_INCLUDEDIR}/pellavo/PaddingLabel.hpp"
  "${CMAKE_INSTALL_INCLUDEDIR}/pellavo/VXNumerKeyboard/Classes/VXNumberKeyboardViewController+Load.hpp"
  "${CMAKE_INSTALL_INCLUDEDIR}/pellavo/VXNumerKeyboard/Classes/String+Insert.hpp"
  "${CMAKE_INSTALL_INCLUDEDIR}/platform/backend"
  "${CMAKE_INSTALL_INCLUDEDIR}/platform/ui/controller/Presentation.hpp"
  "${CMAKE_INSTALL_INCLUDEDIR}/platform/ui/controller/AlertView.hpp"
  "${CMAKE_INSTALL_INCLUDEDIR}/platform/ui/text/FontSystem.hpp"
  "${CMAKE_INSTALL_INCLUDEDIR}/platform/ci/BlurCore.hpp"
  "${CMAKE_INSTALL_INCLUDEDIR}/platform/ca/LayerPainter.hpp"
  "${CMAKE_INSTALL_INCLUDEDIR}/platform/ui/graphics/ImageEffects.hpp")
foreach(item IN LISTS internal)
  if(EXISTS "${prefix}/${item}")
    message(FATAL_ERROR "installed tree holds the internal header ${item}")
  endif()
endforeach()
file(REMOVE_RECURSE "${prefix}")
message(STATUS "install layout ok")
