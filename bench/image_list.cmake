# image_list: listing one request on a share of 100,000 files in 10,000 sub-directories, beside the
# text directory listing of the same folder.
orva_bench(orva_bench_image_list
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/image_list.cpp
    DEPS orva_imagelist orva_common Qt6::Core)
