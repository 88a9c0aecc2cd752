# Encoding and checksumming a 2 MB report for upload, beside coreutils base64 on the same bytes.
orva_bench(upload
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/upload.cpp
    DEPS orva_report)
