# Native build: the core plus the POSIX side of the operating-system boundary, unit-tested.
target_sources(quellix_core PRIVATE ${QUELLIX_POSIX_SOURCES})
add_library(quellix_platform ALIAS quellix_core)

find_package(GTest REQUIRED)
file(GLOB QUELLIX_UNIT_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
add_executable(quellix_unit_tests ${QUELLIX_UNIT_TESTS})
target_link_libraries(quellix_unit_tests PRIVATE quellix_platform GTest::gtest GTest::gtest_main)
target_compile_definitions(quellix_unit_tests PRIVATE QUELLIX_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
# Every GoogleTest case is a CTest test of its own, so a failure names the case. The cases were
# written to run one after the other (in one program), so they still do.
include(GoogleTest)
gtest_discover_tests(quellix_unit_tests TEST_PREFIX "unit." EXTRA_ARGS --gtest_brief=1
                     PROPERTIES ENVIRONMENT "QUELLIX_SOURCE_DIR=${CMAKE_SOURCE_DIR}"
                                RESOURCE_LOCK quellix_unit_tests)

# Tests written in Python against the native build (interoperability with independent readers).
file(GLOB QUELLIX_PY_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/native_py/test_*.py)
foreach(py ${QUELLIX_PY_TESTS})
    get_filename_component(name ${py} NAME_WE)
    add_test(NAME py_${name} COMMAND python3 ${py} ${CMAKE_BINARY_DIR}/bin)
endforeach()

file(GLOB QUELLIX_BENCHES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*_bench.cpp)
foreach(src ${QUELLIX_BENCHES})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    target_link_libraries(${name} PRIVATE quellix_platform)
endforeach()
