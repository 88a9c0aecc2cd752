# Terminal emulator throughput against libvterm on the same streams (libvterm-dev; benchmark only).
pkg_check_modules(VTERM QUIET IMPORTED_TARGET vterm)
if(VTERM_FOUND)
    orva_bench(terminal_throughput
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/terminal_throughput.cpp
        DEPS orva_terminal_core PkgConfig::VTERM)
    target_compile_definitions(terminal_throughput PRIVATE ORVA_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
else()
    message(STATUS "libvterm not found: bench/terminal_throughput is not built")
endif()
