# Settings every target of ours shares: Unicode Win32, a bare-Windows runtime
# (C and C++ runtimes linked statically, system DLLs only) and strict warnings.
add_library(project_options INTERFACE)
target_compile_definitions(project_options INTERFACE
  UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
  _WIN32_WINNT=0x0601 WINVER=0x0601 _WIN32_IE=0x0800)
target_compile_options(project_options INTERFACE
  $<$<COMPILE_LANGUAGE:CXX>:-Wall -Wextra -Wshadow -Wconversion>)
# The test command builds with it: a new warning fails the build there.
option(WARNINGS_AS_ERRORS "Treat compiler warnings in our code as errors" OFF)
if(WARNINGS_AS_ERRORS)
  target_compile_options(project_options INTERFACE $<$<COMPILE_LANGUAGE:CXX>:-Werror>)
endif()
target_link_options(project_options INTERFACE -static -static-libgcc -static-libstdc++ $<$<CONFIG:Release>:-s>)
# Reproducible executables: ld stamps each with its link time unless told not
# to (set here, not in the toolchain files: an existing build tree keeps the
# linker flags it first cached).
target_link_options(project_options INTERFACE -Wl,--no-insert-timestamp)
target_include_directories(project_options INTERFACE ${PROJECT_SOURCE_DIR})
