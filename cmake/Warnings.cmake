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

# velmora_add_tests(<name> <libs...>): one GoogleTest executable from every *.cpp in the calling folder.
function(velmora_add_tests name)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARGN} GTest::gtest GTest::gtest_main Threads::Threads)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_definitions(${name} PRIVATE VELMORA_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "VELMORA_TEST_TMP=${CMAKE_BINARY_DIR}/test-tmp")
endfunction()

# velmora_add_library(<name> <libs...>): one static library from every *.cpp in the calling folder.
function(velmora_add_library name)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARGN})
endfunction()
