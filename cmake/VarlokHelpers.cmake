# Small helpers so that every target gets the same language level, warnings and
# sanitizer flags without global include directories or definitions.

function(varlok_configure_target target)
  target_compile_features(${target} PUBLIC cxx_std_20)
  set_target_properties(${target} PROPERTIES CXX_EXTENSIONS OFF)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor)
  if(VARLOK_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  if(VARLOK_SANITIZERS)
    target_compile_options(${target} PRIVATE -fsanitize=${VARLOK_SANITIZERS} -fno-omit-frame-pointer
                                             -fno-sanitize-recover=all)
    target_link_options(${target} PUBLIC -fsanitize=${VARLOK_SANITIZERS})
  endif()
  if(VARLOK_BUILD_FUZZ)
    # Coverage feedback for libFuzzer from all the code the fuzz targets run.
    # Programs that are not fuzz targets link the coverage runtime alone.
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link)
    target_link_options(${target} PUBLIC -fsanitize=fuzzer-no-link)
  endif()
endfunction()

# varlok_add_to_group(<group> <target>)
# Adds the target to the custom target <group>, which builds all of them.
function(varlok_add_to_group group target)
  if(NOT TARGET ${group})
    add_custom_target(${group})
  endif()
  add_dependencies(${group} ${target})
endfunction()

# varlok_links_qt_widgets(<result> <target>...)
# Sets <result> to TRUE when one of the targets is Qt6::Widgets or links it,
# directly or through the libraries it links.
function(varlok_links_qt_widgets result)
  set(found FALSE)
  foreach(item IN LISTS ARGN)
    if(item STREQUAL "Qt6::Widgets")
      set(found TRUE)
    elseif(TARGET ${item})
      get_target_property(imported ${item} IMPORTED)
      get_target_property(links ${item} LINK_LIBRARIES)
      if(NOT imported AND links)
        varlok_links_qt_widgets(found ${links})
      endif()
    endif()
    if(found)
      break()
    endif()
  endforeach()
  set(${result} ${found} PARENT_SCOPE)
endfunction()

# varlok_compile_as_test_code(<target>)
# The test programs' own sources in the optimised builds: -Og with line tables
# only. They are mostly expanded assertion macros, and at the build type's -O2
# with full debug information they took half of the quick-start build's
# compile time (a page test: 19.6 s of CPU at -O2 -g, 8.8 s at -Og -g1). The
# libraries under test keep the build type's flags; Debug builds (the
# sanitizer trees) keep theirs.
function(varlok_compile_as_test_code target)
  target_compile_options(${target} PRIVATE $<$<NOT:$<CONFIG:Debug>>:-Og -g1>)
endfunction()

# varlok_precompile_test_headers(<target> <deps>...)
# Clang builds (the sanitizer builds) compile the test framework's headers,
# and for tests of the Qt layers the Qt headers most of them use, once per
# test program instead of once per source file: a third less compile time for
# the tests. GCC's optimised builds spend their time generating code; there
# the precompiled headers (130-220 MB each) cost more than they save.
function(varlok_precompile_test_headers target)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    return()
  endif()
  target_precompile_headers(${target} PRIVATE <gtest/gtest.h> <gmock/gmock.h>)
  varlok_links_qt_widgets(uses_qt ${ARGN})
  if(uses_qt)
    target_precompile_headers(${target} PRIVATE <QApplication> <QWidget> <QImage> <QTimer>
                              <QKeyEvent> <QMouseEvent>)
  endif()
  # Without timestamps in the precompiled header ccache can cache it and what
  # is compiled with it.
  target_compile_options(${target} PRIVATE "SHELL:-Xclang -fno-pch-timestamp")
endfunction()

# The libraries compiled as unity builds when VARLOK_UNITY_BUILD is on (the
# quick start's, the sanitizer and the package builds): those whose sources
# share no file-local names and spend most of their compile time in the same
# Qt and standard headers (about 2.5 times less CPU for the UI library in
# the sanitizer builds, 2 to 5 times less for the smaller libraries under
# GCC). The device library and varlokctl's commands are left out: their
# files keep file-local names of their own (each command its operand table).
set(VARLOK_UNITY_LIBRARIES
    ui
    platform
    app
    lighting
    lighting_page
    profiles
    profiles_page
    settings
    settings_page
    service
    keys
    keys_page
    sim)

# varlok_add_library(<name> SOURCES ... [DEPS ...] [INCLUDE_ROOT <dir>])
# Creates the static library varlok_<name>. Headers are included relative to
# INCLUDE_ROOT (src/ by default), e.g. "platform/event.h".
function(varlok_add_library name)
  cmake_parse_arguments(ARG "" "INCLUDE_ROOT" "SOURCES;DEPS" ${ARGN})
  if(NOT ARG_INCLUDE_ROOT)
    set(ARG_INCLUDE_ROOT ${PROJECT_SOURCE_DIR}/src)
  endif()
  add_library(varlok_${name} STATIC ${ARG_SOURCES})
  target_include_directories(varlok_${name} PUBLIC ${ARG_INCLUDE_ROOT})
  target_link_libraries(varlok_${name} PUBLIC ${ARG_DEPS})
  varlok_configure_target(varlok_${name})
  if(VARLOK_UNITY_BUILD AND name IN_LIST VARLOK_UNITY_LIBRARIES)
    set_target_properties(varlok_${name} PROPERTIES UNITY_BUILD ON)
  endif()
endfunction()

# varlok_add_executable(<target> SOURCES ... [DEPS ...])
function(varlok_add_executable target)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${target} ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE ${ARG_DEPS})
  varlok_configure_target(${target})
endfunction()

# varlok_add_test(<target> SOURCES ... [DEPS ...] [LABELS ...] [ENVIRONMENT ...])
# One GoogleTest executable; every test case becomes a CTest test carrying the
# labels (unit, ui, e2e, slow, threads). Qt tests run offscreen.
function(varlok_add_test target)
  cmake_parse_arguments(ARG "" "SERIAL" "SOURCES;DEPS;LABELS;ENVIRONMENT" ${ARGN})
  add_executable(${target} ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${target} PRIVATE VARLOK_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
                                               VARLOK_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data"
                                               VARLOK_BUILD_DATA_DIR="${VARLOK_BUILD_DATA_DIR}")
  varlok_configure_target(${target})
  varlok_compile_as_test_code(${target})
  varlok_precompile_test_headers(${target} ${ARG_DEPS})
  if(NOT ARG_LABELS)
    set(ARG_LABELS unit)
  endif()
  # The sanitizer builds build only these: "all_tests" (every test program
  # and what it needs) and "threaded_tests" (those labelled threads).
  varlok_add_to_group(all_tests ${target})
  if("threads" IN_LIST ARG_LABELS)
    varlok_add_to_group(threaded_tests ${target})
  endif()
  # No test changes the desktop of whoever runs the suite.
  list(PREPEND ARG_ENVIRONMENT QT_QPA_PLATFORM=offscreen VARLOK_DESKTOP=none)
  gtest_discover_tests(${target} DISCOVERY_TIMEOUT 120 DISCOVERY_MODE PRE_TEST
                       PROPERTIES TIMEOUT 120)
  # gtest_discover_tests flattens list-valued properties, so the labels and
  # the environment are set on the discovered tests by a script of our own
  # that CTest reads after the discovery script.
  set(properties_file ${CMAKE_CURRENT_BINARY_DIR}/${target}_properties.cmake)
  file(WRITE ${properties_file}
       "set_tests_properties(\${${target}_TESTS} PROPERTIES LABELS \"${ARG_LABELS}\" "
       "ENVIRONMENT \"${ARG_ENVIRONMENT}\")\n")
  # SERIAL: a regular expression of the tests that run alone (end-to-end
  # tests of whole programs whose waits would be eaten up by a test beside
  # them on a busy machine).
  if(ARG_SERIAL)
    file(APPEND ${properties_file}
         "foreach(test IN LISTS ${target}_TESTS)\n"
         "  if(test MATCHES \"${ARG_SERIAL}\")\n"
         "    set_tests_properties(\${test} PROPERTIES RUN_SERIAL TRUE)\n"
         "  endif()\n"
         "endforeach()\n")
  endif()
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${properties_file})
endfunction()

# varlok_add_fuzzer(<target> SOURCES ... [DEPS ...])
# A libFuzzer program (clang, VARLOK_BUILD_FUZZ). The target "fuzzers" builds
# them all.
function(varlok_add_fuzzer target)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${target} ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE ${ARG_DEPS})
  varlok_configure_target(${target})
  target_link_options(${target} PRIVATE -fsanitize=fuzzer)
  varlok_add_to_group(fuzzers ${target})
endfunction()
