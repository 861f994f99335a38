# 64-bit Windows test build of the same sources: MinGW-w64 for x86_64 with posix threads,
# linked fully static. We ship the 32-bit program; this build exists so that the Windows
# tests also run on machines whose kernel runs no 32-bit code (Wine's 32-bit loader cannot
# start there). Test executables run under wine64 through the emulator wrapper.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
