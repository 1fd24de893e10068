# The -posix compilers: the -win32 thread model lacks std::mutex, which
# GoogleTest needs.
set(CMAKE_C_COMPILER ${MORLIND_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MORLIND_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${MORLIND_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${MORLIND_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# One exe with no MinGW DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
