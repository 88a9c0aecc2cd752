# document_viewer: the next page of a 50-page A4 300 dpi G4 TIFF shown in the document viewer (read
# at 24 bits as the detached window reads it, fitted to its height, painted), beside libtiff's RGBA
# reader with Qt's smooth scaling doing the same job.
pkg_check_modules(ORVA_BENCH_LIBTIFF IMPORTED_TARGET libtiff-4)
orva_bench(orva_bench_document_viewer
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/document_viewer.cpp
    DEPS orva_imaging_docview orva_imageio PkgConfig::ORVA_BENCH_LIBTIFF Qt6::Widgets)
