# Shared compile settings and helpers for the Vantrel tree.

# Narrow (ANSI) Win32 throughout; Windows 7 headers so that the optional newer
# interfaces are declared (they are still bound at run time where it matters).
add_compile_definitions(
  _WIN32_WINNT=0x0601 WINVER=0x0601 _WIN32_IE=0x0800
  NOMINMAX STRICT _CRT_SECURE_NO_WARNINGS)
add_compile_options(-Wall -Wextra)
# A bare Windows has no MinGW runtime DLLs: link the runtime in.
add_link_options(-static -static-libgcc -static-libstdc++)

if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  set(VT_RUN_TESTS ON)   # only 64-bit programs run on this kernel under Wine
  # Test programs (and ctest's test discovery) run in the build's own prefix
  # unless the environment names another one.
  set(CMAKE_CROSSCOMPILING_EMULATOR
      ${CMAKE_SOURCE_DIR}/scripts/wine-emulator.sh ${CMAKE_BINARY_DIR}/wineprefix)
else()
  set(VT_RUN_TESTS OFF)
endif()

# A compiler cache, where the machine has one, makes rebuilds in several
# checkouts cheap; nothing depends on it.
find_program(VT_CCACHE ccache)
if(VT_CCACHE)
  set(CMAKE_C_COMPILER_LAUNCHER ${VT_CCACHE})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${VT_CCACHE})
endif()

include(GoogleTest)

# vt_add_gtest(<name> SOURCES ... [LIBS ...] [PARALLEL] [TIMEOUT s])
# A GoogleTest program run under Wine, one ctest entry per test case.
# Tests share one Wine prefix, one registry and one X display, so they run
# one at a time unless marked PARALLEL (pure logic, no shared state).
function(vt_add_gtest name)
  cmake_parse_arguments(T "PARALLEL" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE vttestsupport ${T_LIBS})
  if(VT_RUN_TESTS)
    set(props TIMEOUT ${T_TIMEOUT})
    if(NOT T_PARALLEL)
      list(APPEND props RUN_SERIAL TRUE)
    endif()
    gtest_discover_tests(${name}
      DISCOVERY_MODE PRE_TEST
      DISCOVERY_TIMEOUT 60
      PROPERTIES ${props})
  endif()
endfunction()

# vt_add_fixture(<name> SOURCES ... [LIBS ...] [GUI]) - a helper program that
# tests start in a separate process; lands beside the tests.
function(vt_add_fixture name)
  cmake_parse_arguments(F "GUI" "OUTPUT_NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${F_SOURCES})
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  if(F_GUI)
    set_target_properties(${name} PROPERTIES WIN32_EXECUTABLE TRUE)
  endif()
  if(F_OUTPUT_NAME)
    set_target_properties(${name} PROPERTIES OUTPUT_NAME ${F_OUTPUT_NAME})
  endif()
endfunction()

# vt_subsystem_library(<target> [LIBS ...]) - a static library of every .cpp in
# the calling folder (except main.cpp). An empty folder gives an interface
# target so that dependants link before the code arrives.
function(vt_subsystem_library target)
  cmake_parse_arguments(L "" "" "LIBS;EXCLUDE" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  list(FILTER srcs EXCLUDE REGEX "/main\\.cpp$")
  foreach(x ${L_EXCLUDE})
    list(FILTER srcs EXCLUDE REGEX "/${x}$")
  endforeach()
  if(srcs)
    add_library(${target} STATIC ${srcs})
    target_link_libraries(${target} PUBLIC vtframework ${L_LIBS})
  else()
    add_library(${target} INTERFACE)
    target_link_libraries(${target} INTERFACE vtframework ${L_LIBS})
  endif()
endfunction()
