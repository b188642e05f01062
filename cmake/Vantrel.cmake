# Shared compile settings and helpers for the Vantrel tree.

# Narrow (ANSI) Win32 throughout; Windows 7 headers so that the optional newer
# interfaces are declared (they are still bound at run time where it matters).
add_compile_definitions(
  _WIN32_WINNT=0x0601 WINVER=0x0601 _WIN32_IE=0x0800
  NOMINMAX STRICT _CRT_SECURE_NO_WARNINGS)
add_compile_options(-Wall -Wextra)
# A bare Windows has no MinGW runtime DLLs: link the runtime in.
add_link_options(-static -static-libgcc -static-libstdc++)
# Built for size: the program is resident and small beats fast for code
# that waits on the user; every function and datum in a section of its own,
# so that the linker drops what nothing reaches (most of the static runtime).
# -Oz rather than -Os: 4.6 KB less, and menu drawing measured no slower.
set(CMAKE_C_FLAGS_RELEASE "-Oz -DNDEBUG")
set(CMAKE_CXX_FLAGS_RELEASE "-Oz -DNDEBUG")
add_compile_options(-ffunction-sections -fdata-sections)
add_link_options(-Wl,--gc-sections)

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

# windres does not report the files an .rc file names (icons, bitmaps, the
# manifest), so a change to one of them would not rebuild the resources.
# vt_program_resources() makes the program's .rc depend on them in the
# calling folder (source properties belong to the folder of the target).
file(GLOB VT_PROGRAM_RESOURCE_FILES CONFIGURE_DEPENDS
     ${CMAKE_SOURCE_DIR}/resources/images/* ${CMAKE_SOURCE_DIR}/resources/*.manifest
     ${CMAKE_SOURCE_DIR}/resources/*.h)
function(vt_program_resources)
  set_source_files_properties(${CMAKE_SOURCE_DIR}/resources/vantrel.rc PROPERTIES
    OBJECT_DEPENDS "${VT_PROGRAM_RESOURCE_FILES}")
endfunction()

# vt_add_gtest(<name> SOURCES ... [LIBS ...] [PARALLEL] [TIMEOUT s] [OWN_MANIFEST]
#              [FILTER gtest-filter])
# A GoogleTest program run under Wine, one ctest entry per test case.
# Tests share one Wine prefix, one registry and one X display, so they run
# one at a time unless marked PARALLEL (pure logic, no shared state).
# The program gets Vantrel.exe's manifest, unless its sources bring the
# program's own resources (OWN_MANIFEST). FILTER limits the cases ctest
# lists (for cases that only another prefix can run).
function(vt_add_gtest name)
  cmake_parse_arguments(T "PARALLEL;OWN_MANIFEST" "TIMEOUT;FILTER" "SOURCES;LIBS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  if(NOT T_OWN_MANIFEST)
    list(APPEND T_SOURCES ${CMAKE_SOURCE_DIR}/tests/support/program_manifest.rc)
    set_source_files_properties(${CMAKE_SOURCE_DIR}/tests/support/program_manifest.rc
      PROPERTIES OBJECT_DEPENDS ${CMAKE_SOURCE_DIR}/resources/vantrel.manifest)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE vttestsupport ${T_LIBS})
  if(VT_RUN_TESTS)
    set(props TIMEOUT ${T_TIMEOUT})
    if(NOT T_PARALLEL)
      list(APPEND props RUN_SERIAL TRUE)
    endif()
    set(filter)
    if(T_FILTER)
      set(filter TEST_FILTER ${T_FILTER})
    endif()
    gtest_discover_tests(${name}
      ${filter}
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
  # A folder's subfolders (uikit/menu, ...) belong to its library and layer.
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
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
  get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  vt_layer(${folder} ${target})
endfunction()

# ---- layer order -------------------------------------------------------------
# vt_layer(<folder> <target>): the sources in <folder> belong to <target>. Their
# #include "<dir>/..." lines may name only <folder> itself, "resources", and
# the folders of the targets <target> links, directly or through others. So
# the CMake dependencies are the one statement of the layer order, and an
# include against it fails the build (target layer_check).
function(vt_layer folder target)
  set_property(GLOBAL APPEND PROPERTY VT_LAYER_FOLDERS ${folder})
  set_property(GLOBAL PROPERTY VT_LAYER_TARGET_${folder} ${target})
  set_property(GLOBAL PROPERTY VT_TARGET_FOLDER_${target} ${folder})
endfunction()

function(_vt_reachable_folders target out)
  set(result)
  set(queue ${target})
  set(seen)
  while(queue)
    list(POP_FRONT queue t)
    if(t IN_LIST seen OR NOT TARGET ${t})
      continue()
    endif()
    list(APPEND seen ${t})
    get_property(folder GLOBAL PROPERTY VT_TARGET_FOLDER_${t})
    if(folder)
      list(APPEND result ${folder})
    endif()
    get_target_property(type ${t} TYPE)
    set(deps)
    if(NOT type STREQUAL "INTERFACE_LIBRARY")
      get_target_property(direct ${t} LINK_LIBRARIES)
      if(direct)
        list(APPEND deps ${direct})
      endif()
    endif()
    get_target_property(iface ${t} INTERFACE_LINK_LIBRARIES)
    if(iface)
      list(APPEND deps ${iface})
    endif()
    list(APPEND queue ${deps})
  endwhile()
  set(${out} ${result} PARENT_SCOPE)
endfunction()

# Called once every layer is declared.
function(vt_add_layer_check)
  get_property(folders GLOBAL PROPERTY VT_LAYER_FOLDERS)
  set(layers)
  foreach(folder ${folders})
    get_property(target GLOBAL PROPERTY VT_LAYER_TARGET_${folder})
    _vt_reachable_folders(${target} allowed)
    list(APPEND allowed ${folder} resources)
    list(REMOVE_DUPLICATES allowed)
    string(REPLACE ";" "," allowed "${allowed}")
    list(APPEND layers "${folder}:${allowed}")
  endforeach()
  string(REPLACE ";" "|" layers "${layers}")
  add_custom_target(layer_check ALL
    COMMAND ${CMAKE_COMMAND} -DROOT=${CMAKE_SOURCE_DIR} -DLAYERS=${layers}
            -P ${CMAKE_SOURCE_DIR}/cmake/CheckLayers.cmake
    COMMENT "Checking includes against the layer order"
    VERBATIM)
endfunction()

# vt_delay_import(<target> <library.dll> <def file>) - an import library whose
# functions bind <library.dll> at the first call of any of them (the toolchain's
# delay loading; framework/systemlibrary.cpp does the loading) instead of when
# the program starts. The .def file lists the functions with their 32-bit
# decorations; they are dropped for 64 bits.
function(vt_delay_import target dll def)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/lib${target}.a)
  set(outdef ${CMAKE_CURRENT_BINARY_DIR}/${target}.def)
  file(READ ${def} text)
  set(kill)
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    string(REGEX REPLACE "@[0-9]+" "" text "${text}")
  else()
    set(kill --kill-at)  # the library exports the names without decoration
  endif()
  file(WRITE ${outdef} "${text}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${def})
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_DLLTOOL} --input-def ${outdef} --dllname ${dll} ${kill}
            --output-delaylib ${out}
    DEPENDS ${outdef}
    COMMENT "Delay-import library for ${dll}"
    VERBATIM)
  add_custom_target(${target}_lib DEPENDS ${out})
  add_library(${target} STATIC IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES IMPORTED_LOCATION ${out})
  add_dependencies(${target} ${target}_lib)
endfunction()
