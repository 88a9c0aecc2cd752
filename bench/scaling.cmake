# Time per item of report messages, host markup, RTF tables, dictation placeholders and DYNAMICRANGE pictures at growing sizes: flat means linear.
orva_bench(scaling
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/scaling.cpp
    DEPS orva_report orva_wpform orva_richtext orva_test_doubles Qt6::Widgets)
