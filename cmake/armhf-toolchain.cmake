# The unit's board: 32-bit ARM, Debian 12 armhf. The compilers come from
# crossbuild-essential-armhf, the libraries from the armhf -dev packages
# (multiarch), and the programs built here run under qemu-arm.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR armv7l)
set(CMAKE_LIBRARY_ARCHITECTURE arm-linux-gnueabihf)
set(CMAKE_C_COMPILER arm-linux-gnueabihf-gcc)
set(CMAKE_CXX_COMPILER arm-linux-gnueabihf-g++)
set(PKG_CONFIG_EXECUTABLE arm-linux-gnueabihf-pkg-config CACHE FILEPATH "pkg-config for the armhf libraries")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# The armhf loader and libraries are installed beside the host's (multiarch):
# the root is their prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm -L / CACHE STRING "runs the armhf programs")
