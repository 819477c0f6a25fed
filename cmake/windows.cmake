# The Windows build's dependencies: static ICU and libxml2 from scripts/windows-deps.sh
# (found through the toolchain's CMAKE_FIND_ROOT_PATH), and a plug-in that needs no
# DLL beside it but the system's own.

find_path(ZEB_ICU_INCLUDE_DIR unicode/uchar.h REQUIRED)
# ICU's static libraries carry an "s" in front of their names. Its data library is
# sicudt.a: libsicudt.a beside it is the empty stand-in ICU builds first.
foreach(part IN ITEMS in uc)
  find_library(ZEB_ICU_${part} NAMES sicu${part} REQUIRED)
endforeach()
find_library(ZEB_ICU_DATA NAMES sicudt.a REQUIRED)
add_library(windows::icu INTERFACE IMPORTED)
target_include_directories(windows::icu SYSTEM INTERFACE ${ZEB_ICU_INCLUDE_DIR})
target_link_libraries(windows::icu INTERFACE ${ZEB_ICU_in} ${ZEB_ICU_uc} ${ZEB_ICU_DATA})
target_compile_definitions(windows::icu INTERFACE U_STATIC_IMPLEMENTATION)
set(ZEB_ICU windows::icu)

find_package(LibXml2 REQUIRED)
set_property(TARGET LibXml2::LibXml2 APPEND PROPERTY INTERFACE_COMPILE_DEFINITIONS LIBXML_STATIC)
set_property(TARGET LibXml2::LibXml2 APPEND PROPERTY INTERFACE_LINK_LIBRARIES ws2_32)

# The C runtime's printf family understands %zu and %lld as the code writes them.
add_compile_definitions(__USE_MINGW_ANSI_STDIO=1)

# The C and C++ runtimes and the threads library are linked in, so that the plug-in,
# zebparse.exe and the tests run with nothing but the system's DLLs.
add_link_options(-static -static-libgcc -static-libstdc++)

# Tests that do not apply on Windows, left out by name, each with its reason.
set(ZEB_WINDOWS_SKIPPED_TESTS
  # The C runtime's local time knows only the years 1970 to 3000.
  DateTimeText.SpecialValues
  DateTimeText.PadsEveryFieldAndTheMilliseconds
  # Windows takes the composed backslash form itself; only POSIX gets forward slashes.
  NativePath.GivesTheOperatingSystemForwardSlashes
  # The default code page is the ANSI one, not UTF-8: text outside it is substituted.
  ToCodePage.DefaultCodePageKeepsUtf8
  TarnException.WhatIsTheFirstEntryOrEmpty
  # libxml2 is built without iconv: encodings beyond its own (UTF-8, UTF-16, Latin-1,
  # ASCII) are refused rather than converted.
  XMLDocParse.RefusedDocumentsGiveTheSameErrorOnEveryPath
  # Windows does not remove a folder that holds an open file, which the test does.
  FileWriterTest.FileThatLosesItsNameIsReportedAndReopened
  # Reads the symbol table with nm; scripts/build-windows.sh checks the DLL's exports.
  SymbolTable.ExportsExactlyTheFourEntryPoints)
list(JOIN ZEB_WINDOWS_SKIPPED_TESTS ":" skipped)
file(WRITE ${CMAKE_BINARY_DIR}/windows-skipped-tests.txt "${skipped}")
