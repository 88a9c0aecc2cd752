# imaging: decoding an A4 300 dpi G4 page and scaling it to gray at screen size, beside ImageMagick.
orva_bench(orva_bench_imaging
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/imaging.cpp
    DEPS orva_imageio orva_fxlib Qt6::Core)
