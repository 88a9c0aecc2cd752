# Helpers every folder uses to declare its libraries, tests, fuzz targets and benchmarks,
# so that warnings, sanitizers and the test environment are set in one place.

# CI sets ORVA_WERROR=ON in the environment so that every stage, the README's own commands included,
# fails on a warning; a developer's build only warns unless asked.
if(DEFINED ENV{ORVA_WERROR})
    set(ORVA_WERROR_DEFAULT $ENV{ORVA_WERROR})
else()
    set(ORVA_WERROR_DEFAULT OFF)
endif()
option(ORVA_WERROR "Treat warnings in our code as errors" ${ORVA_WERROR_DEFAULT})

if(ORVA_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()
if(ORVA_FUZZ)
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
    add_custom_target(orva_fuzzers)
    file(WRITE ${CMAKE_BINARY_DIR}/fuzzers.txt "")
endif()
if(ORVA_BENCH)
    find_package(benchmark QUIET)
    if(NOT benchmark_FOUND)
        message(STATUS "Google Benchmark not found: benchmarks are not built")
        set(ORVA_BENCH OFF)
    endif()
endif()

set(ORVA_TEST_ROOT ${CMAKE_BINARY_DIR}/testenv)
file(MAKE_DIRECTORY ${ORVA_TEST_ROOT}/runtime ${ORVA_TEST_ROOT}/config ${ORVA_TEST_ROOT}/cache
     ${ORVA_TEST_ROOT}/data)
file(CHMOD ${ORVA_TEST_ROOT}/runtime DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)

function(orva_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra)
    if(ORVA_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

# Adds a folder's CMakeLists when it has one.
macro(orva_add_folder dir)
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
        add_subdirectory(${dir})
    endif()
endmacro()

# Adds every child folder of the current one that has a CMakeLists (in name order).
macro(orva_add_subfolders)
    file(GLOB _orva_children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}
         ${CMAKE_CURRENT_SOURCE_DIR}/*)
    list(SORT _orva_children)
    foreach(_child IN LISTS _orva_children)
        if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${_child}
           AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${_child}/CMakeLists.txt)
            add_subdirectory(${_child})
        endif()
    endforeach()
endmacro()

# orva_library(name SOURCES ... [DEPS ...] [PRIVATE_DEPS ...])
# A static library whose headers are included by their path from the repository root.
function(orva_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;PRIVATE_DEPS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR}/generated)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
    orva_warnings(${name})
endfunction()

# What every test process runs with: the offscreen platform, private per-user folders, the sanitizers'
# options, and where the sources and the build are.
set(ORVA_TEST_ENVIRONMENT
    "QT_QPA_PLATFORM=offscreen"
    "XDG_RUNTIME_DIR=${ORVA_TEST_ROOT}/runtime"
    "XDG_CONFIG_HOME=${ORVA_TEST_ROOT}/config"
    "XDG_CACHE_HOME=${ORVA_TEST_ROOT}/cache"
    "XDG_DATA_HOME=${ORVA_TEST_ROOT}/data"
    "ORVA_SOURCE_DIR=${PROJECT_SOURCE_DIR}"
    "ORVA_BINARY_DIR=${PROJECT_BINARY_DIR}"
    "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/cmake/lsan.supp:print_suppressions=0"
    "ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:check_initialization_order=1"
    "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
set(ORVA_TEST_TIMEOUT 300)

# Each test case is its own CTest test, named "<program>.<case>", so that one crash does not hide the
# rest. The cases are listed when ctest starts (and again only after the program is rebuilt), not when
# it is built: a build never runs a test program, and the listing gets the tests' own environment.
include(GoogleTest)

# Gives every case listed in the ctest variable <name>_TESTS the test environment.
function(_orva_discovered_env name)
    set(file "${CMAKE_CURRENT_BINARY_DIR}/${name}_environment.cmake")
    file(WRITE "${file}"
         "if(${name}_TESTS)\n"
         "  set_tests_properties(\${${name}_TESTS} PROPERTIES\n"
         "    ENVIRONMENT [==[${ORVA_TEST_ENVIRONMENT}]==]\n"
         "    TIMEOUT ${ORVA_TEST_TIMEOUT})\n"
         # SANE's test backend is one device for the whole machine: scans never run side by side.
         "  foreach(t IN LISTS ${name}_TESTS)\n"
         "    if(t MATCHES \"[Ss]can|[Ss]ane\")\n"
         "      set_tests_properties(\"\${t}\" PROPERTIES RESOURCE_LOCK sane)\n"
         "    endif()\n"
         "  endforeach()\n"
         "endif()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${file}")
endfunction()

# orva_gtest(name [GUI | QT] SOURCES ... [DEPS ...]): a GoogleTest program, each case a CTest test.
# GUI: the program's main creates the QApplication its cases need; QT: a QCoreApplication.
function(orva_gtest name)
    if(NOT ORVA_TESTS)
        return()
    endif()
    cmake_parse_arguments(ARG "GUI;QT" "" "SOURCES;DEPS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    if(ARG_GUI)
        target_link_libraries(${name} PRIVATE ${ARG_DEPS} orva_gtest_gui_main GTest::gtest GTest::gmock)
    elseif(ARG_QT)
        target_link_libraries(${name} PRIVATE ${ARG_DEPS} orva_gtest_qt_main GTest::gtest GTest::gmock)
    else()
        target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
    endif()
    orva_warnings(${name})
    gtest_discover_tests(${name}
        TEST_PREFIX "${name}."
        TEST_LIST ${name}_TESTS
        # A table's cases are named by their parameter's own name, not by the value printed after it.
        NO_PRETTY_VALUES
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 120)
    _orva_discovered_env(${name})
endfunction()

# orva_qtest(name SOURCES ... [DEPS ...]): a Qt Test program, each test function a CTest test
# (the program lists them itself with -functions).
function(orva_qtest name)
    if(NOT ORVA_TESTS)
        return()
    endif()
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} Qt6::Test)
    orva_warnings(${name})
    set(base "${CMAKE_CURRENT_BINARY_DIR}/${name}")
    file(GENERATE OUTPUT "${base}_include.cmake" CONTENT
"if(EXISTS [==[$<TARGET_FILE:${name}>]==])
  if(NOT EXISTS [==[${base}_tests.cmake]==] OR
     NOT [==[${base}_tests.cmake]==] IS_NEWER_THAN [==[$<TARGET_FILE:${name}>]==] OR
     NOT [==[${base}_tests.cmake]==] IS_NEWER_THAN \"\${CMAKE_CURRENT_LIST_FILE}\" OR
     NOT [==[${base}_tests.cmake]==] IS_NEWER_THAN [==[${PROJECT_SOURCE_DIR}/cmake/OrvaQtTestList.cmake]==])
    include([==[${PROJECT_SOURCE_DIR}/cmake/OrvaQtTestList.cmake]==])
    orva_qtest_list([==[${name}]==] [==[$<TARGET_FILE:${name}>]==] [==[${base}_tests.cmake]==]
                    [==[${CMAKE_COMMAND}]==] [==[${ORVA_TEST_ENVIRONMENT}]==])
  endif()
  include([==[${base}_tests.cmake]==])
else()
  add_test(${name}_NOT_BUILT ${name}_NOT_BUILT)
endif()
")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${base}_include.cmake")
    _orva_discovered_env(${name})
endfunction()

# orva_fuzz(name SOURCES ... [DEPS ...] [CORPUS dir]): a libFuzzer target (ORVA_FUZZ builds only).
function(orva_fuzz name)
    if(NOT ORVA_FUZZ)
        return()
    endif()
    cmake_parse_arguments(ARG "" "CORPUS" "SOURCES;DEPS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_DEPS})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    add_dependencies(orva_fuzzers ${name})
    file(APPEND ${CMAKE_BINARY_DIR}/fuzzers.txt "$<TARGET_FILE:${name}> ${ARG_CORPUS}\n")
endfunction()

# orva_bench(name SOURCES ... [DEPS ...]): a Google Benchmark program.
function(orva_bench name)
    if(NOT ORVA_BENCH)
        return()
    endif()
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} benchmark::benchmark)
    orva_warnings(${name})
endfunction()
