# audio: GSM 6.10 encoding of ten minutes of speech-like audio, beside real time and sox.
orva_bench(orva_bench_audio
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/audio.cpp
    DEPS orva_audio Qt6::Core)
