# Warning and sanitizer settings, applied to the project's own targets only.

# Folders whose targets are not yet built with -Wconversion.
set(ZEB_WITHOUT_CONVERSION_WARNINGS src/logging src/errors)

function(zeb_enable_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align
    -Wno-unused-parameter)
  # Implicit narrowing (64 to 32 bits, int to char, floating to integer) is an error
  # unless cast. GCC's -Wconversion only: clang's also takes in -Wsign-conversion.
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND NOT folder IN_LIST ZEB_WITHOUT_CONVERSION_WARNINGS)
    target_compile_options(${target} PRIVATE -Wconversion)
  endif()
  if(ZEB_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  # Data guarded by a lock is touched only with it held: an error, whatever ZEB_WERROR says.
  if(ZEB_THREAD_SAFETY_ANALYSIS)
    target_compile_options(${target} PRIVATE -Wthread-safety -Werror=thread-safety)
  endif()
  # GCC 12 at -O3 reports overlapping memcpy inside std::string's operator+ where
  # none can happen (a known false positive of -Wrestrict in libstdc++ inlining).
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
endfunction()

function(zeb_enable_sanitizers target)
  if(ZEB_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined -fno-sanitize-recover=all)
  endif()
  if(ZEB_TSAN)
    target_compile_options(${target} PRIVATE -fsanitize=thread -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=thread)
  endif()
endfunction()

# A static library of one subsystem: warnings, sanitizers, hidden symbols.
function(zeb_library target)
  add_library(${target} STATIC ${ARGN})
  set_target_properties(${target} PROPERTIES
    CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  target_include_directories(${target} PUBLIC $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/src>)
  zeb_enable_warnings(${target})
  zeb_enable_sanitizers(${target})
endfunction()

# One GoogleTest executable registered with CTest: zeb_test(name sources... LIBS libs...)
function(zeb_test name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  add_executable(${name} ${ARG_UNPARSED_ARGUMENTS} ${PROJECT_SOURCE_DIR}/tests/test_environment.cc)
  target_compile_definitions(${name} PRIVATE ZEB_TEST_BUILD_DIR="${CMAKE_BINARY_DIR}"
                                             ZEB_TEST_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main Threads::Threads)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  zeb_enable_warnings(${name})
  zeb_enable_sanitizers(${name})
  if(ZEB_WINDOWS_SKIPPED_TESTS)
    list(JOIN ZEB_WINDOWS_SKIPPED_TESTS ":" skipped)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 TEST_FILTER "-${skipped}")
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
  endif()
endfunction()

# A shared library whose dynamic symbol table holds only what `map` (a version script)
# lists: the static libraries' own symbols stay local too. Every symbol must resolve
# at link time, except in sanitizer builds, whose runtimes resolve some symbols only
# in the executable.
function(zeb_export_only target map)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${map})
  target_link_options(${target} PRIVATE -Wl,--version-script=${map} -Wl,--exclude-libs,ALL)
  if(NOT ZEB_SANITIZE AND NOT ZEB_TSAN)
    target_link_options(${target} PRIVATE -Wl,--no-undefined)
  endif()
endfunction()
