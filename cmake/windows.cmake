# The Windows build's dependencies: static ICU and libxml2 from scripts/windows-deps.sh
# (found through the toolchain's CMAKE_FIND_ROOT_PATH), and a plug-in that needs no
# DLL beside it but the system's own.

find_path(ZEB_ICU_INCLUDE_DIR unicode/uchar.h REQUIRED)
# ICU's static libraries carry an "s" in front of their names.
foreach(part IN ITEMS in uc dt)
  find_library(ZEB_ICU_${part} NAMES sicu${part} REQUIRED)
endforeach()
add_library(windows::icu INTERFACE IMPORTED)
target_include_directories(windows::icu SYSTEM INTERFACE ${ZEB_ICU_INCLUDE_DIR})
target_link_libraries(windows::icu INTERFACE ${ZEB_ICU_in} ${ZEB_ICU_uc} ${ZEB_ICU_dt})
target_compile_definitions(windows::icu INTERFACE U_STATIC_IMPLEMENTATION)
set(ZEB_ICU windows::icu)

find_package(LibXml2 REQUIRED)
set_property(TARGET LibXml2::LibXml2 APPEND PROPERTY INTERFACE_COMPILE_DEFINITIONS LIBXML_STATIC)
set_property(TARGET LibXml2::LibXml2 APPEND PROPERTY INTERFACE_LINK_LIBRARIES ws2_32)

# The C and C++ runtimes and the threads library are linked in, so that the plug-in,
# zebparse.exe and the tests run with nothing but the system's DLLs.
add_link_options(-static -static-libgcc -static-libstdc++)
