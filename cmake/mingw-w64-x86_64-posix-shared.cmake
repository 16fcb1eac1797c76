# As mingw-w64-x86_64-posix.cmake, but programs link the compiler's runtime
# (libstdc++, libgcc, winpthread) as DLLs instead of statically: for the
# window program, whose Qt DLLs link those DLLs too, so that one process
# holds a single C++ runtime. The DLLs are installed beside the programs.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-x86_64-posix.cmake)
set(CMAKE_EXE_LINKER_FLAGS_INIT "")
