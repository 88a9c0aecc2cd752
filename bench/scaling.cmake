# Time per item of report messages, host markup and RTF tables at growing sizes: flat means linear.
orva_bench(scaling
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/scaling.cpp
    DEPS orva_report orva_richtext Qt6::Widgets)
