# Installs the build into a temporary prefix and checks that the programs,
# the help page, the desktop entry and the icon land where a Linux desktop
# finds them. Run with -DBINARY_DIR=<build> -DPREFIX=<scratch directory>.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BINARY_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

include(GNUInstallDirs)
set(expected
    "${CMAKE_INSTALL_BINDIR}/corvane"
    "${CMAKE_INSTALL_DATADIR}/corvane/help/index.html"
    "${CMAKE_INSTALL_DATADIR}/applications/corvane.desktop"
    "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps/corvane.svg")
foreach(path IN LISTS expected)
  if(NOT EXISTS "${PREFIX}/${path}")
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endforeach()

# The installed program names its installed help page.
execute_process(COMMAND "${PREFIX}/${CMAKE_INSTALL_BINDIR}/corvane" --help-page
                OUTPUT_VARIABLE page OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE result)
file(REAL_PATH "${PREFIX}/${CMAKE_INSTALL_DATADIR}/corvane/help/index.html" installed_page)
if(NOT result EQUAL 0 OR NOT page STREQUAL installed_page)
  message(FATAL_ERROR "corvane --help-page printed \"${page}\" (status ${result}), "
                      "not ${installed_page}")
endif()

file(READ "${PREFIX}/${CMAKE_INSTALL_DATADIR}/applications/corvane.desktop" entry)
foreach(line "[Desktop Entry]" "Type=Application" "Name=Corvane" "Exec=corvane" "Icon=corvane")
  string(FIND "${entry}" "${line}\n" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "corvane.desktop lacks the line ${line}")
  endif()
endforeach()
file(READ "${PREFIX}/${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps/corvane.svg" icon)
string(FIND "${icon}" "<svg" at)
if(at EQUAL -1)
  message(FATAL_ERROR "corvane.svg is not an SVG picture")
endif()

file(REMOVE_RECURSE "${PREFIX}")
message(STATUS "installed layout is complete")
