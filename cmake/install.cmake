# The installed layout:
#   bin/qrx, bin/mc2cat (for a user's own message catalogues)
#   lib/libdevavu.so and the companion libraries beside it
#   include/devavu.h, devavu_compiler.h and the companions' headers
#   lib/pkgconfig/devavu.pc, lib/cmake/devavu/ (find_package(devavu))
#   share/devavu/locale/<lang>/*.cat   the message catalogues
#   share/devavu/examples/             the sample registry and .cfn files
# Everything finds its neighbours relative to itself, so an installed qrx
# needs no QRX_* variable. The library directory is plain lib/ on purpose:
# the catalogues are found at ../share/devavu/locale from it.
include(CMakePackageConfigHelpers)

# The libraries' run path is their own folder (devavu_product_library);
# qrx's is the library folder beside its own, in the build tree as well.
set_target_properties(qrx PROPERTIES BUILD_WITH_INSTALL_RPATH ON INSTALL_RPATH "$ORIGIN/../lib")

# The companions that libdevavu.so links go into the export set with it.
install(TARGETS devavu orvesvc krtcapi txtcat EXPORT devavuTargets LIBRARY DESTINATION lib)
install(TARGETS virarudi sample LIBRARY DESTINATION lib)
install(TARGETS qrx mc2cat RUNTIME DESTINATION bin)
install(FILES ${PROJECT_SOURCE_DIR}/include/devavu.h
              ${PROJECT_SOURCE_DIR}/include/devavu_compiler.h
              ${PROJECT_SOURCE_DIR}/companions/orvesvc/include/orvesvc.h
              ${PROJECT_SOURCE_DIR}/companions/virarudi/include/virarudi.h
              ${PROJECT_SOURCE_DIR}/companions/krtcapi/include/krtcapi.h
              ${PROJECT_SOURCE_DIR}/companions/txtcat/include/txtcat.h
        DESTINATION include)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/config/ DESTINATION share/devavu/examples)

install(EXPORT devavuTargets NAMESPACE devavu:: DESTINATION lib/cmake/devavu)
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/devavuConfig.cmake.in
  ${CMAKE_BINARY_DIR}/devavuConfig.cmake INSTALL_DESTINATION lib/cmake/devavu)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/devavuConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/devavuConfig.cmake ${CMAKE_BINARY_DIR}/devavuConfigVersion.cmake
        DESTINATION lib/cmake/devavu)

configure_file(${CMAKE_CURRENT_LIST_DIR}/devavu.pc.in ${CMAKE_BINARY_DIR}/devavu.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/devavu.pc DESTINATION lib/pkgconfig)
