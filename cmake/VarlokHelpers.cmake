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
endfunction()

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
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;LABELS;ENVIRONMENT" ${ARGN})
  add_executable(${target} ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${target} PRIVATE VARLOK_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
                                               VARLOK_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data"
                                               VARLOK_BUILD_DATA_DIR="${VARLOK_BUILD_DATA_DIR}")
  varlok_configure_target(${target})
  if(NOT ARG_LABELS)
    set(ARG_LABELS unit)
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
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${properties_file})
endfunction()
