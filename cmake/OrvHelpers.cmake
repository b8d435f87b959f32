# Helpers shared by every folder of the project.
include(GoogleTest)

set_property(GLOBAL PROPERTY ORV_THREADING_TEST_TARGETS "")

# orv_add_library(<name> SOURCES ... [PUBLIC_INCLUDES ...] [LIBS ...])
# A static library for one subsystem or platform family.
function(orv_add_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;PUBLIC_INCLUDES;LIBS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    if(ARG_PUBLIC_INCLUDES)
        target_include_directories(${name} PUBLIC ${ARG_PUBLIC_INCLUDES})
    endif()
    if(ARG_LIBS)
        target_link_libraries(${name} PUBLIC ${ARG_LIBS})
    endif()
endfunction()

# -D_REENTRANT: SDL's compile flags bring it to the test programs that use windows, and one
# precompiled header serves programs with and without them only if all define it alike (the
# C library ignores it).
set(ORV_TEST_COMPILE_OPTIONS -O0 -D_REENTRANT)

# The one precompiled GoogleTest and GoogleMock header that every test program uses: a target of
# its own with the test programs' options, made the first time a test program asks for it.
function(orv_test_precompiled_headers)
    if(TARGET orv_test_pch)
        return()
    endif()
    set(source ${CMAKE_BINARY_DIR}/orv_test_pch.cpp)
    if(NOT EXISTS ${source})
        file(WRITE ${source} "// The precompiled test headers are built with this empty file.\n")
    endif()
    add_library(orv_test_pch STATIC ${source})
    target_link_libraries(orv_test_pch PRIVATE GTest::gtest GTest::gmock Threads::Threads)
    target_compile_options(orv_test_pch PRIVATE ${ORV_TEST_COMPILE_OPTIONS})
    target_precompile_headers(orv_test_pch PRIVATE <gtest/gtest.h> <gmock/gmock.h>)
endfunction()

# orv_add_test(<name> SOURCES ... [LIBS ...] [INCLUDES ...] [THREADING] [LABELS ...] [TIMEOUT s])
# One GoogleTest program; each of its tests becomes a ctest test named <name>.<Suite>.<Test>.
# THREADING marks programs whose tests run threads: the ThreadSanitizer build runs them.
function(orv_add_test name)
    cmake_parse_arguments(ARG "THREADING" "TIMEOUT" "SOURCES;LIBS;INCLUDES;LABELS" ${ARGN})
    if(ORV_TSAN AND NOT ARG_THREADING)
        return()
    endif()
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main
                                          GTest::gmock Threads::Threads)
    if(ARG_INCLUDES)
        target_include_directories(${name} PRIVATE ${ARG_INCLUDES})
    endif()
    # The test code itself is built without optimisation and with GoogleTest's headers
    # precompiled once for every program: optimising test bodies and parsing those headers in
    # every file took most of the build. The code under test keeps its build's flags.
    orv_test_precompiled_headers()
    target_compile_options(${name} PRIVATE ${ORV_TEST_COMPILE_OPTIONS})
    target_precompile_headers(${name} REUSE_FROM orv_test_pch)
    set(labels ${ARG_LABELS})
    if(ARG_THREADING)
        list(APPEND labels threading)
        set_property(GLOBAL APPEND PROPERTY ORV_THREADING_TEST_TARGETS ${name})
    endif()
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 120)
    endif()
    set(properties TIMEOUT ${ARG_TIMEOUT})
    if(labels)
        list(APPEND properties LABELS "${labels}")
    endif()
    gtest_discover_tests(${name}
        TEST_PREFIX "${name}."
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 60
        PROPERTIES ${properties})
endfunction()

# orv_add_benchmark(<name> SOURCES ... [LIBS ...]): a Google Benchmark program (not run by ctest).
function(orv_add_benchmark name)
    if(NOT ORV_BUILD_BENCHMARKS OR ORV_SANITIZE OR ORV_TSAN)
        return()
    endif()
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    find_package(benchmark REQUIRED)
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} benchmark::benchmark Threads::Threads)
endfunction()

# orv_add_fuzz_target(<name> SOURCES ... [LIBS ...] [INCLUDES ...] [THREADING]): the libFuzzer
# program fuzz_<name>, its seed corpus fuzz/corpus/<name> (and fuzz/<name>.dict when there is
# one), and a ctest test fuzz_<name>.corpus that runs it once over the corpus. THREADING: the
# target runs threads.
function(orv_add_fuzz_target name)
    cmake_parse_arguments(ARG "THREADING" "" "SOURCES;LIBS;INCLUDES" ${ARGN})
    set(target fuzz_${name})
    add_executable(${target} ${ARG_SOURCES})
    target_link_libraries(${target} PRIVATE ${ARG_LIBS} Threads::Threads)
    target_link_options(${target} PRIVATE -fsanitize=fuzzer)
    target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR} ${ARG_INCLUDES})
    set(corpus ${CMAKE_CURRENT_SOURCE_DIR}/corpus/${name})
    if(NOT IS_DIRECTORY ${corpus})
        message(FATAL_ERROR "fuzz target ${name} has no seed corpus in ${corpus}")
    endif()
    # Given files (not a folder), libFuzzer runs each once and stops.
    file(GLOB inputs CONFIGURE_DEPENDS ${corpus}/*)
    add_test(NAME ${target}.corpus COMMAND ${target} ${inputs})
    set(labels fuzz)
    if(ARG_THREADING)
        list(APPEND labels threading)
    endif()
    set_tests_properties(${target}.corpus PROPERTIES TIMEOUT 120 LABELS "${labels}")
    set_property(GLOBAL APPEND PROPERTY ORV_FUZZ_TARGETS ${target})
endfunction()

function(orv_finish_threading_tests)
    get_property(targets GLOBAL PROPERTY ORV_THREADING_TEST_TARGETS)
    if(targets)
        add_custom_target(threading_tests DEPENDS ${targets})
    else()
        add_custom_target(threading_tests)
    endif()
endfunction()
