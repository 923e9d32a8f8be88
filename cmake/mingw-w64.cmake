# Shared by the two Windows toolchain files: the caller sets SORVELT_MINGW_TRIPLE first.
# The -posix compilers (GoogleTest and std::mutex need their threads), windres for the
# resource script, and a find root that sees the target's libraries only: nothing of
# the Linux host may end up in a Windows build.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${SORVELT_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SORVELT_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${SORVELT_MINGW_TRIPLE}-windres)

# The target's libraries: the cross compiler's own tree, and what build-windows.sh
# built for this target (libpng) under <build>/deps/prefix.
set(CMAKE_FIND_ROOT_PATH /usr/${SORVELT_MINGW_TRIPLE} ${CMAKE_BINARY_DIR}/deps/prefix)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The host's pkg-config would hand Linux .pc files (cairo, X11, libpng) to this build.
set(CMAKE_DISABLE_FIND_PACKAGE_PkgConfig TRUE)

# Everything linked in statically: a bare Windows has no libstdc++, libgcc or
# winpthread DLL, and refuses a plug-in that imports one ("module not found").
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")
set(ZLIB_USE_STATIC_LIBS ON)
set(PNG_USE_STATIC_LIBS ON)
