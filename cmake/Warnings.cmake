# Compiler settings shared by every target.
# Numeric code must give the same results on every machine: no fused multiply-add contraction.
add_compile_options(-Wall -Wextra -Wshadow -ffp-contract=off)
if(VELMORA_WERROR)
  add_compile_options(-Werror)
endif()
# GCC 12 at -O3 reports overlapping copies inside std::string's own inlined
# code for plain concatenations such as "x" + text (copies that cannot
# overlap); the check is off for that compiler alone.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12
   AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  add_compile_options(-Wno-restrict)
endif()
if(VELMORA_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "VELMORA_FUZZ needs clang (libFuzzer): configure with CC=clang CXX=clang++")
  endif()
  # Every library carries the fuzzer's coverage and both sanitizers; only the
  # fuzz targets link libFuzzer itself (fuzz/CMakeLists.txt).
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
elseif(VELMORA_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# velmora_folder_sources(<out>): every *.cpp of the calling folder for this
# build. A folder names in VELMORA_NEEDS_LIBRARIES the files that need a
# third-party library (the toolkit's drawing, libxml2, libpng), which the
# 32-bit build leaves out, and in VELMORA_32BIT_SOURCES the files that stand
# in for them there, which only the 32-bit build takes.
function(velmora_folder_sources out)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(VELMORA_32BIT)
    set(drop ${VELMORA_NEEDS_LIBRARIES})
  else()
    set(drop ${VELMORA_32BIT_SOURCES})
  endif()
  foreach(name IN LISTS drop)
    list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${name})
  endforeach()
  set(${out} ${sources} PARENT_SCOPE)
endfunction()

# velmora_add_tests(<name> <libs...>): one GoogleTest executable from every *.cpp in the calling folder.
function(velmora_add_tests name)
  velmora_folder_sources(sources)
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARGN} GTest::gtest GTest::gtest_main Threads::Threads)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_definitions(${name} PRIVATE VELMORA_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  # A folder may leave tests out of a build by a filter (VELMORA_TEST_FILTER,
  # "-Suite.Name:..."), as the 32-bit build does under an emulator.
  set(filter)
  if(VELMORA_TEST_FILTER)
    set(filter TEST_FILTER ${VELMORA_TEST_FILTER})
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 ${filter}
    PROPERTIES ENVIRONMENT "VELMORA_TEST_TMP=${CMAKE_BINARY_DIR}/test-tmp")
endfunction()

# velmora_add_library(<name> <libs...>): one static library from every *.cpp in the calling folder.
function(velmora_add_library name)
  velmora_folder_sources(sources)
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARGN})
endfunction()

# GoogleTest for the 32-bit build, compiled from the sources Debian's
# libgtest-dev ships (its libraries are 64-bit only), under the usual names.
function(velmora_add_googletest_32)
  set(source /usr/src/googletest/googletest)
  if(NOT EXISTS ${source}/CMakeLists.txt)
    message(FATAL_ERROR "The 32-bit tests need GoogleTest's sources in ${source} (libgtest-dev)")
  endif()
  add_subdirectory(${source} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  target_compile_options(gtest PRIVATE -w)
  target_compile_options(gtest_main PRIVATE -w)
  if(NOT TARGET GTest::gtest)
    add_library(GTest::gtest ALIAS gtest)
    add_library(GTest::gtest_main ALIAS gtest_main)
  endif()
endfunction()
