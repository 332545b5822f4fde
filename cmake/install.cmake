# What `cmake --install` lays out, and the Debian package `cpack -G DEB` makes
# of it. The board's package: the program, its background images where it
# runs, and its service. The amd64 package carries the same program with the
# simulator's programs and run.sh instead of the service: a PC has no
# amplifier. Nothing goes into /opt/set, where a unit keeps its settings.
# The board's layout: the service starts /usr/bin/brisel.
if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT)
  set(CMAKE_INSTALL_PREFIX /usr CACHE PATH "Install prefix" FORCE)
endif()
include(GNUInstallDirs)
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^arm")
  set(BRISEL_BOARD ON)
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE armhf)
else()
  set(BRISEL_BOARD OFF)
endif()

install(TARGETS brisel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${BRISEL_IMAGE_FILES} DESTINATION ${BRISEL_IMAGE_DIR})
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
if(BRISEL_BOARD)
  configure_file(packaging/brisel.service.in brisel.service @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/brisel.service DESTINATION /lib/systemd/system)
else()
  install(TARGETS brisel-amp-emulator brisel-ft817-emulator brisel-cat-emulator brisel-qor-emulator
    brisel-remote brisel-sim-web RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(PROGRAMS run.sh DESTINATION ${CMAKE_INSTALL_DATADIR}/brisel)
  install(FILES scripts/run-root.sh scripts/emulator.sh DESTINATION ${CMAKE_INSTALL_DATADIR}/brisel/scripts)
  install(DIRECTORY sim/station DESTINATION ${CMAKE_INSTALL_DATADIR}/brisel/sim)
endif()

set(CPACK_PACKAGE_NAME brisel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "BRISEL")
set(CPACK_PACKAGE_CONTACT "BRISEL maintainers <maintainers@brisel.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Front panel, tuner and remote control program of the BRISEL HF + 6 m amplifier")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
set(CPACK_STRIP_FILES ON)
# The libraries' packages as Debian 12 names them; the fonts the panel draws with.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6 (>= 2.36), libstdc++6 (>= 12), libgcc-s1, libpng16-16, libfreetype6, \
libusb-1.0-0, libasound2, libopus0, libssl3, libglib2.0-0, fonts-dejavu-core, fonts-dejavu-extra, fonts-paratype")
if(NOT BRISEL_BOARD)
  string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", libcpp-httplib0.11")
endif()
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
  ${CMAKE_SOURCE_DIR}/packaging/postinst ${CMAKE_SOURCE_DIR}/packaging/prerm ${CMAKE_SOURCE_DIR}/packaging/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
