# Helpers that keep each folder's CMakeLists to a line or two: every folder of
# src/ is one static library built from all of its .cpp files, and every folder
# of tests/ is one GoogleTest executable built from all of its *_test.cpp files.

set(CORVANE_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion
                     -Wnon-virtual-dtor -Woverloaded-virtual -Wformat=2)
if(CORVANE_WERROR)
  list(APPEND CORVANE_WARNINGS -Werror)
endif()

if(CORVANE_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

if(CORVANE_SANITIZE_THREAD)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()

if(CORVANE_FUZZ)
  # Everything a fuzz target links is instrumented for libFuzzer's coverage;
  # the targets themselves link its driver (fuzz/CMakeLists.txt).
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "The fuzz targets need clang (the fuzz preset sets it)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

# corvane_library(<folder> [DEPS libs...] [EXCLUDE files...]): the folder's
# .cpp files, less the excluded ones, as the library corvane_<folder>.
function(corvane_library folder)
  cmake_parse_arguments(ARG "" "" "DEPS;EXCLUDE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  foreach(excluded ${ARG_EXCLUDE})
    list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${excluded})
  endforeach()
  if(NOT sources)
    # A folder that holds only headers so far.
    add_library(corvane_${folder} INTERFACE)
    target_include_directories(corvane_${folder} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(corvane_${folder} INTERFACE ${ARG_DEPS})
    return()
  endif()
  corvane_static_library(corvane_${folder} SOURCES ${sources} DEPS ${ARG_DEPS})
endfunction()

# corvane_static_library(<target> SOURCES files... [DEPS libs...]): a library
# of some files of a folder.
function(corvane_static_library target)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${target} STATIC ${ARG_SOURCES})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_compile_options(${target} PRIVATE ${CORVANE_WARNINGS})
  target_link_libraries(${target} PUBLIC ${ARG_DEPS})
endfunction()

# corvane_tests(<folder> [DEPS libs...]): one test program per folder, each test
# case registered with CTest.
function(corvane_tests folder)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  set(target corvane_${folder}_tests)
  add_executable(${target} ${sources})
  target_compile_options(${target} PRIVATE ${CORVANE_WARNINGS} -Wno-conversion)
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${target} PRIVATE ${ARG_DEPS} corvane_testsupport GTest::gtest GTest::gmock GTest::gtest_main)
  # The tests keep the program's cache (the quantile table) in the build
  # tree, never in the user's cache directory.
  gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                       PROPERTIES LABELS ${folder}
                       ENVIRONMENT "XDG_CACHE_HOME=${PROJECT_BINARY_DIR}/test-cache")
endfunction()
