# Cross-builds for Windows with Debian's mingw-w64 compilers (the posix thread variant, which has
# std::mutex). PORT_WINDOWS_ARCH is i686 (the hosts' 32-bit world) or x86_64; PORT_WINDOWS_DEPS
# is the prefix scripts/windows-deps built. Test programs run through wine.
set(CMAKE_SYSTEM_NAME Windows)
if(NOT PORT_WINDOWS_ARCH)
  set(PORT_WINDOWS_ARCH i686)
endif()
set(CMAKE_SYSTEM_PROCESSOR ${PORT_WINDOWS_ARCH})
set(port_triple ${PORT_WINDOWS_ARCH}-w64-mingw32)

set(CMAKE_C_COMPILER ${port_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${port_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${port_triple}-windres)

set(CMAKE_FIND_ROOT_PATH ${PORT_WINDOWS_DEPS} /usr/${port_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Static archives only: a plug-in DLL then needs nothing beside it but the system's DLLs.
set(CMAKE_FIND_LIBRARY_SUFFIXES .a)
set(ZLIB_USE_STATIC_LIBS ON)
set(ENV{PKG_CONFIG_LIBDIR} ${PORT_WINDOWS_DEPS}/lib/pkgconfig)
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")

# expat was built static: its header must not ask for a DLL import.
set(CMAKE_C_FLAGS_INIT "-DXML_STATIC")
set(CMAKE_CXX_FLAGS_INIT "-DXML_STATIC")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# The prefix's wx-config describes the cross-built wxMSW (a host program, found by its path).
set(wxWidgets_CONFIG_EXECUTABLE ${PORT_WINDOWS_DEPS}/bin/wx-config)

set(CMAKE_CROSSCOMPILING_EMULATOR wine)
# try_compile runs this file again and needs the same two choices.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES PORT_WINDOWS_ARCH PORT_WINDOWS_DEPS)
