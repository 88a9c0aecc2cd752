# Cost of the receive pipeline on host-like output, beside the terminal emulator alone.
orva_bench(pipeline_throughput
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/pipeline_throughput.cpp
    DEPS orva_pipeline orva_terminal_core)
