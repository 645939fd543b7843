# 32-bit x86 Linux with the system compilers (Debian's g++-multilib) and the
# i386 libraries of Debian's multiarch. It builds the x86 DLL's code for a
# platform where it can run: the programs run under qemu-i386, since the
# machines here refuse 32-bit programs. The x86 flags (SSE2 arithmetic, stack
# realignment) come from the top-level CMakeLists.txt, as for the x86 DLL.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER   gcc)
set(CMAKE_CXX_COMPILER g++)
set(CMAKE_C_FLAGS_INIT   "-m32")
set(CMAKE_CXX_FLAGS_INIT "-m32")
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
# The widest processor the emulator offers, so that the run-time choice of
# vector code paths has the wide ones to choose.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-i386 -cpu max -L /)
