# Build helpers shared by every folder: warnings, sanitizers, the Windows runtime
# linkage, GoogleTest for both builds, version resources, program manifests,
# fuzz targets and benchmarks.
include_guard(GLOBAL)

if(WIN32)
  set(SUITE_WINDOWS ON)
else()
  set(SUITE_WINDOWS OFF)
endif()
option(SUITE_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(SUITE_FUZZ "Build libFuzzer targets (clang)" OFF)
option(SUITE_BENCH "Build benchmarks" OFF)

set(SUITE_ROOT ${CMAKE_CURRENT_LIST_DIR}/..)
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib)
set(SUITE_TEST_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)

add_compile_options(-g -Wall -Wextra -Wno-unused-parameter)

if(SUITE_WINDOWS)
  # The Windows SDK level and the lean settings come with the one wrapper
  # header platform/win32/include/win32/lean_windows.h (target suite_win32).
  # C and C++ runtimes linked in, so modules depend only on system DLLs and on
  # each other. No -mwindows: GUI programs choose it themselves.
  add_link_options(-static -static-libgcc -static-libstdc++)
  set(CMAKE_SHARED_LIBRARY_PREFIX "")
  set(CMAKE_IMPORT_LIBRARY_PREFIX "")
endif()

if(SUITE_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# ---------------------------------------------------------------- GoogleTest
if(SUITE_WINDOWS)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/_deps/googletest EXCLUDE_FROM_ALL)
  add_library(suite_gtest INTERFACE)
  target_link_libraries(suite_gtest INTERFACE gmock gtest)
  add_library(suite_gtest_main INTERFACE)
  target_link_libraries(suite_gtest_main INTERFACE gmock gtest gtest_main)
elseif(NOT SUITE_FUZZ)
  find_package(GTest REQUIRED)
  add_library(suite_gtest INTERFACE)
  target_link_libraries(suite_gtest INTERFACE GTest::gmock GTest::gtest)
  add_library(suite_gtest_main INTERFACE)
  target_link_libraries(suite_gtest_main INTERFACE GTest::gmock GTest::gtest GTest::gtest_main)
endif()

# suite_add_program_manifest(target): Common Controls 6 and a known
# execution level for a program (only programs carry a manifest).
function(suite_add_program_manifest target)
  if(SUITE_WINDOWS)
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_manifest.rc)
    file(WRITE ${rc} "1 24 \"${SUITE_ROOT}/cmake/program.manifest\"\n")
    target_sources(${target} PRIVATE ${rc})
  endif()
endfunction()

# suite_add_version_info(target DESCRIPTION text [PRODUCT name]): the module's
# VERSIONINFO resource from the one project version and build number.
function(suite_add_version_info target)
  if(NOT SUITE_WINDOWS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "DESCRIPTION;PRODUCT" "" ${ARGN})
  if(NOT ARG_PRODUCT)
    set(ARG_PRODUCT "Varnik")
  endif()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    set(SUITE_FILE_TYPE "VFT_APP")
    set(SUITE_FILE_SUFFIX ".exe")
  else()
    set(SUITE_FILE_TYPE "VFT_DLL")
    set(SUITE_FILE_SUFFIX ".dll")
  endif()
  get_target_property(outname ${target} OUTPUT_NAME)
  if(NOT outname)
    set(outname ${target})
  endif()
  set(SUITE_FILE_DESCRIPTION "${ARG_DESCRIPTION}")
  set(SUITE_PRODUCT_NAME "${ARG_PRODUCT}")
  set(SUITE_ORIGINAL_FILENAME "${outname}${SUITE_FILE_SUFFIX}")
  set(SUITE_INTERNAL_NAME "${outname}")
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${SUITE_ROOT}/cmake/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()

# suite_add_gtest(name SOURCES ... [LIBS ...] [NO_MAIN] [TIMEOUT s]): one test
# executable and one ctest entry for it (a Wine start costs time, so Windows
# tests are never split per test case). Windows test programs go to tests/,
# beside but apart from the installed modules in bin/.
function(suite_add_gtest name)
  cmake_parse_arguments(ARG "NO_MAIN" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(SUITE_FUZZ)
    return()
  endif()
  add_executable(${name} ${ARG_SOURCES})
  if(ARG_NO_MAIN)
    target_link_libraries(${name} PRIVATE suite_gtest ${ARG_LIBS})
  else()
    target_link_libraries(${name} PRIVATE suite_gtest_main ${ARG_LIBS})
  endif()
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${SUITE_TEST_OUTPUT_DIRECTORY})
  suite_add_program_manifest(${name})
  add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 600)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT})
endfunction()

# suite_add_fuzzer(name SOURCES ... [LIBS ...] CORPUS dir): a libFuzzer target in
# the fuzz build; in the native build the same entry point replays the committed
# corpus as a test, so every run checks the seeds under the sanitizers.
function(suite_add_fuzzer name)
  cmake_parse_arguments(ARG "" "CORPUS" "SOURCES;LIBS" ${ARGN})
  if(SUITE_FUZZ)
    add_executable(${name} ${ARG_SOURCES})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  elseif(NOT SUITE_WINDOWS)
    add_executable(${name}_replay ${ARG_SOURCES} ${SUITE_ROOT}/tools/fuzz/replay_main.cpp)
    target_link_libraries(${name}_replay PRIVATE ${ARG_LIBS})
    set_target_properties(${name}_replay PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${SUITE_TEST_OUTPUT_DIRECTORY})
    add_test(NAME ${name}_corpus COMMAND ${name}_replay ${ARG_CORPUS})
  endif()
endfunction()

# suite_add_benchmark(name SOURCES ... [LIBS ...]): Google Benchmark program of
# the native build; it prints its figures and is not a test.
function(suite_add_benchmark name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  if(SUITE_WINDOWS OR SUITE_FUZZ)
    return()
  endif()
  find_package(benchmark REQUIRED)
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE benchmark::benchmark ${ARG_LIBS})
endfunction()
