# One helper per kind of target: shared library, loadable module, test binary, benchmark.

if(SL_SANITIZE)
  set(SL_SANITIZE_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=all)
  add_compile_options(${SL_SANITIZE_FLAGS} -O1)
  add_link_options(-fsanitize=address,undefined)
endif()

option(SL_SANITIZE_THREAD "Build with ThreadSanitizer" OFF)
if(SL_SANITIZE_THREAD)
  add_compile_options(-fsanitize=thread -O1 -g)
  add_link_options(-fsanitize=thread)
endif()

# The fuzz preset (clang): every library is instrumented for libFuzzer's coverage.
option(SL_FUZZ "Build the libFuzzer targets under fuzz/" OFF)
if(SL_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

# Warnings as errors on our own code only.
function(sl_strict target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

# sl_add_library(NAME SOURCES ... [PUBLIC_LIBS ...] [PRIVATE_LIBS ...])
# A shared library with hidden visibility; `include/` is public, `src/` private.
function(sl_add_library name)
  cmake_parse_arguments(A "" "" "SOURCES;PUBLIC_LIBS;PRIVATE_LIBS" ${ARGN})
  add_library(${name} SHARED ${A_SOURCES})
  target_include_directories(${name} PUBLIC $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}/include>
                                            $<INSTALL_INTERFACE:include/stocklib_db>
                                     PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${A_PUBLIC_LIBS} PRIVATE ${A_PRIVATE_LIBS})
  # 0.x: a new minor version may change the ABI, so the SONAME carries both numbers.
  set_target_properties(${name} PROPERTIES CXX_VISIBILITY_PRESET hidden
                                           VISIBILITY_INLINES_HIDDEN OFF
                                           VERSION ${PROJECT_VERSION}
                                           SOVERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR})
  sl_strict(${name})
endfunction()

# sl_add_module(NAME SOURCES ... [LIBS ...])
# A runtime-loadable module: no `lib` prefix, the `.tx` suffix, hidden visibility.
function(sl_add_module name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} MODULE ${A_SOURCES})
  target_link_libraries(${name} PRIVATE ${A_LIBS})
  set_target_properties(${name} PROPERTIES PREFIX "" SUFFIX ".tx" CXX_VISIBILITY_PRESET hidden)
  sl_strict(${name})
endfunction()

# sl_add_test(NAME SOURCES ... [LIBS ...])
# One GoogleTest binary per library; every test case becomes a CTest test. `tests/common`
# (header-only helpers shared by tests) is on the include path.
function(sl_add_test name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/common)
  target_link_libraries(${name} PRIVATE ${A_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  sl_strict(${name})
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
                       PROPERTIES ENVIRONMENT "SL_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endfunction()

# sl_add_bench(NAME SOURCES ... [LIBS ...])
# `bench/common` (header-only helpers shared by benchmarks) is on the include path.
function(sl_add_bench name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/bench/common)
  target_link_libraries(${name} PRIVATE ${A_LIBS} benchmark::benchmark)
  sl_strict(${name})
  set_property(GLOBAL APPEND PROPERTY SL_BENCHES ${name})
endfunction()
