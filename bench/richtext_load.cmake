# Loading and laying out a 50-page report from RTF, beside pandoc reading the same file.
orva_bench(richtext_load
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/richtext_load.cpp
    DEPS orva_richtext)
