# 32-bit Windows, the program we ship: MinGW-w64 for i686 (GCC "posix" thread model, which
# gives std::thread and std::mutex), linked fully static so that the exe needs no MinGW DLL
# at run time. Test executables run under Wine through the emulator wrapper.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
