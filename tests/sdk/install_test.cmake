# Installs the build into a fresh prefix and uses it as a user would: a C program
# built with pkg-config, a CMake project with find_package (the C interface and a host
# of its own), and the Python package found from the prefix alone.
#   cmake -DBUILD_DIR=... -DSOURCE_DIR=... -DWORK_DIR=... -DPYTHON=... -P install_test.cmake
cmake_minimum_required(VERSION 3.22)
set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})

function(step name)
  cmake_parse_arguments(ARG "" "" "EXPECT;COMMAND" ${ARGN})
  execute_process(COMMAND ${ARG_COMMAND} WORKING_DIRECTORY ${WORK_DIR}
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${name} failed (${status}):\n${out}\n${err}")
  endif()
  foreach(expected IN LISTS ARG_EXPECT)
    string(FIND "${out}" "${expected}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "${name}: no [${expected}] in:\n${out}\n${err}")
    endif()
  endforeach()
  message(STATUS "${name}: ok")
endfunction()

step(install COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
foreach(file include/zeb/zebparse.h include/zeb/host/host_context.h lib/libzebparse.so
        lib/libzebConfigParseAddr.so lib/zeb/libzeb_host.a lib/cmake/zebparse/zebparseConfig.cmake
        lib/pkgconfig/zebparse.pc share/zebparse/support/addressParserMetaData.xml bin/zebparse
        share/doc/zebparse/README.md lib/python3/dist-packages/zebparse/__init__.py)
  if(NOT EXISTS ${prefix}/${file})
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()

set(ENV{PKG_CONFIG_PATH} ${prefix}/lib/pkgconfig)
step(pkg-config COMMAND pkg-config --cflags --libs zebparse)
execute_process(COMMAND pkg-config --cflags --libs zebparse OUTPUT_VARIABLE flags
                OUTPUT_STRIP_TRAILING_WHITESPACE)
separate_arguments(flags UNIX_COMMAND "${flags}")
step("C program" COMMAND cc -std=c99 -Wall -Werror ${SOURCE_DIR}/tests/sdk/hello.c -o hello ${flags}
     -Wl,-rpath,${prefix}/lib)
step("C program run" COMMAND ${WORK_DIR}/hello
     EXPECT "support=${prefix}/share/zebparse/support" "street_number=123" "city=Springfield"
            "UNIT_TYPE=POB" "refused 3: address [1 Main? St]")

step("CMake project" COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR}/tests/sdk/project -B project
     -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_BUILD_TYPE=Release)
step("CMake project build" COMMAND ${CMAKE_COMMAND} --build project)
step("embed run" COMMAND ${WORK_DIR}/project/embed EXPECT "street_number=41" "postal_code=45000")
step("own host run" COMMAND ${WORK_DIR}/project/own_host EXPECT "<STD_RESULT>" "<FELEM_VALUE>ELM")

unset(ENV{ZEBPARSE_LIBRARY})
set(ENV{PYTHONPATH} ${prefix}/lib/python3/dist-packages)
step("Python package" COMMAND ${PYTHON} -c
     "import zebparse\nprint(zebparse._find_library())\nprint(zebparse.Parser().parse('12 Elm St'))"
     EXPECT "${prefix}/lib/libzebparse.so.1" "'street_number': '12'")
file(REMOVE_RECURSE ${WORK_DIR})
