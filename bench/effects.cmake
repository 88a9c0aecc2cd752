# effects: every effect of the dialog on an A4 300 dpi colour page, and a box blur beside ImageMagick.
orva_bench(orva_bench_effects
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/effects.cpp
    DEPS orva_effects_dialog Qt6::Widgets)
