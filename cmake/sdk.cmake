# What `cmake --install` adds for programs built against this project: the C interface
# (zeb/zebparse.h, libzebparse), the host kit's library with the static libraries
# under it, a CMake package (find_package(zebparse CONFIG), targets zebparse::zebparse
# and zebparse::host), a pkg-config file, the Python package and the documentation.
# The plug-in, zebparse and the support directory install with the tool.
# Tested by tests/sdk/ (install into a temporary prefix, build and run against it).
include(CMakePackageConfigHelpers)

install(FILES ${PROJECT_SOURCE_DIR}/include/zeb/zebparse.h DESTINATION include/zeb)
install(TARGETS zebparse_capi EXPORT zebparseTargets
  LIBRARY DESTINATION lib
  INCLUDES DESTINATION include)

# The host kit is static and hidden-visibility like every subsystem, so its library
# comes with the libraries it builds on; its headers include each other as
# "host/..." and "plugin/...", hence include/zeb on the path as well.
set_target_properties(zeb_host PROPERTIES EXPORT_NAME host)
target_include_directories(zeb_host INTERFACE $<INSTALL_INTERFACE:include> $<INSTALL_INTERFACE:include/zeb>)
install(TARGETS zeb_host zeb_logging zeb_errors zeb_log_core zeb_common EXPORT zebparseTargets
  ARCHIVE DESTINATION lib/zeb)

install(EXPORT zebparseTargets NAMESPACE zebparse:: DESTINATION lib/cmake/zebparse)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/zebparseConfig.cmake.in
  ${CMAKE_BINARY_DIR}/zebparseConfig.cmake INSTALL_DESTINATION lib/cmake/zebparse)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/zebparseConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/zebparseConfig.cmake
              ${CMAKE_BINARY_DIR}/zebparseConfigVersion.cmake
        DESTINATION lib/cmake/zebparse)

# The prefix is the one `cmake --install --prefix` gives, not the configured one.
configure_file(${PROJECT_SOURCE_DIR}/cmake/zebparse.pc.in ${CMAKE_BINARY_DIR}/zebparse.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/zebparse.pc DESTINATION lib/pkgconfig)

# Found from there by walking up to lib/libzebparse.so.1.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/python/zebparse DESTINATION lib/python3/dist-packages
  PATTERN __pycache__ EXCLUDE)
install(FILES ${PROJECT_SOURCE_DIR}/python/examples/dask_parse.py
  DESTINATION share/doc/zebparse/examples)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/docs/zebparse.md
              ${PROJECT_SOURCE_DIR}/docs/rules.md ${PROJECT_SOURCE_DIR}/docs/embedding.md
              ${PROJECT_SOURCE_DIR}/docs/distributed.md
        DESTINATION share/doc/zebparse)
