# Host text through the terminal control (interpretation plus painting into its backing image) against
# the emulator alone on the same streams.
if(TARGET orva_terminal_widget)
    orva_bench(terminal_render
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/terminal_render.cpp
        DEPS orva_terminal_widget)
endif()
