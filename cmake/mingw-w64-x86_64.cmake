# Cross-build of the same sources for 64-bit Windows. The tests run this
# build only on machines whose kernel cannot start 32-bit Linux programs, and
# so cannot run 32-bit Wine (scripts/common.sh says more).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
