# Windows build: the thin Win32 shell, the program, and the tests that run under Wine.
enable_language(RC)
target_compile_definitions(quellix_flags INTERFACE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                                                   _WIN32_WINNT=0x0600)

# The same source gives the same programs wherever and whenever it is built: the linker writes no
# time stamp, and the compiler writes the source and build folders, wherever it would name them,
# as "." and "build".
target_compile_options(quellix_flags INTERFACE -ffile-prefix-map=${CMAKE_SOURCE_DIR}=.
                                               -ffile-prefix-map=${CMAKE_BINARY_DIR}=build)
target_link_options(quellix_flags INTERFACE LINKER:--no-insert-timestamp)

# The shell joins the core in one library: core code calls into the operating-system boundary.
target_sources(quellix_core PRIVATE ${QUELLIX_WIN_SOURCES})
# Only libraries that Windows always takes from its system directory (its KnownDLLs) are linked;
# any other is loaded from there at run time (support/system_library_win.h).
target_link_libraries(quellix_core PUBLIC shell32 gdi32 user32 advapi32)
add_library(quellix_shell ALIAS quellix_core)

# The program: its entry (entry/, the one place that puts the layers together) and its resources.
add_executable(quellix WIN32 ${CMAKE_SOURCE_DIR}/entry/entry_win.cpp ${CMAKE_SOURCE_DIR}/entry/quellix.rc)
target_link_libraries(quellix PRIVATE quellix_shell)
target_link_options(quellix PRIVATE -municode)
file(GLOB QUELLIX_ASSETS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/assets/*)
set_source_files_properties(${CMAKE_SOURCE_DIR}/entry/quellix.rc PROPERTIES
    OBJECT_DEPENDS "${QUELLIX_ASSETS};${QUELLIX_GENERATED_DIR}/entry/quellix.manifest;${QUELLIX_GENERATED_DIR}/app/configured.h")
target_include_directories(quellix PRIVATE ${CMAKE_SOURCE_DIR})

# GoogleTest built by the cross compiler from Debian's sources.
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# Helper programs the tests start (stand-ins for system tools, small test children).
file(GLOB QUELLIX_TEST_TOOLS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/tools/*.cpp)
set(QUELLIX_TOOL_TARGETS)
foreach(src ${QUELLIX_TEST_TOOLS})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    target_link_libraries(${name} PRIVATE quellix_flags)
    list(APPEND QUELLIX_TOOL_TARGETS ${name})
endforeach()
# The crash handling's test program runs the program's own handlers.
target_link_libraries(crashing_program PRIVATE quellix_core)

# In-process Win32 tests of the shell.
file(GLOB QUELLIX_WIN_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/*.cpp)
add_executable(quellix_win_tests ${QUELLIX_WIN_TESTS})
# The common-controls and theme libraries only for comparing with the system's own controls, the
# version library for reading the program's version strings as the system does.
target_link_libraries(quellix_win_tests PRIVATE quellix_shell comctl32 uxtheme version gtest gtest_main)
target_compile_definitions(quellix_win_tests PRIVATE QUELLIX_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
if(QUELLIX_TOOL_TARGETS)
    add_dependencies(quellix_win_tests ${QUELLIX_TOOL_TARGETS})
endif()
include(GoogleTest)
# Every GoogleTest case is a CTest test of its own, so a failure names the case. The cases are
# listed when ctest starts (under Wine, in the locale of that test run), so the build needs no Wine;
# the first listing may boot the Wine prefix. The cases of one program were written to run one
# after the other (they share scratch registry keys and files), so they still do.
set(QUELLIX_DISCOVERY DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 600 EXTRA_ARGS --gtest_brief=1)
# A case past its time limit is ended by scripts/wine-run.sh (QUELLIX_WINE_TIMEOUT) a little before
# CTest's own limit, together with every program it left in the prefix.
set(QUELLIX_CASE_LIMIT TIMEOUT 300 ENVIRONMENT QUELLIX_WINE_TIMEOUT=280)
gtest_discover_tests(quellix_win_tests TEST_PREFIX "win." ${QUELLIX_DISCOVERY}
                     PROPERTIES RESOURCE_LOCK quellix_win_tests ${QUELLIX_CASE_LIMIT})

# End-to-end tests: start the real quellix.exe with real command lines, registry values and files.
# They share the prefix's registry and the program's named mutex, so they run one at a time.
file(GLOB QUELLIX_E2E_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/*.cpp)
add_executable(quellix_e2e_tests ${QUELLIX_E2E_TESTS})
target_link_libraries(quellix_e2e_tests PRIVATE quellix_shell gtest gtest_main)
target_compile_definitions(quellix_e2e_tests PRIVATE QUELLIX_PROJECT_VERSION="${PROJECT_VERSION}")
add_dependencies(quellix_e2e_tests quellix ${QUELLIX_TOOL_TARGETS})
gtest_discover_tests(quellix_e2e_tests TEST_PREFIX "e2e." ${QUELLIX_DISCOVERY} PROPERTIES RUN_SERIAL TRUE
                     ${QUELLIX_CASE_LIMIT})

# The window on a real X display (Xvfb, Wine's X11 prefix): the real program driven with the mouse
# and the keyboard, screenshots kept in build/windows/xvfb/<locale>/.
add_test(NAME xvfb COMMAND xvfb-run -a -s "-screen 0 1024x768x24 -br -nolisten tcp"
                           python3 ${CMAKE_SOURCE_DIR}/tests/xvfb/xvfb_test.py ${CMAKE_BINARY_DIR}/bin
                           ${CMAKE_BINARY_DIR}/xvfb)
set_tests_properties(xvfb PROPERTIES TIMEOUT 300 ENVIRONMENT "QUELLIX_FILE_VERSION=${QUELLIX_FILE_VERSION}")

# The floors the benchmarks time the program against: plain Win32 programs, nothing of Quellix.
file(GLOB QUELLIX_BENCH_FLOORS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*_floor_win.cpp)
set(QUELLIX_BENCH_FLOOR_TARGETS)
foreach(src ${QUELLIX_BENCH_FLOORS})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} WIN32 ${src})
    target_link_libraries(${name} PRIVATE quellix_flags shell32)
    target_link_options(${name} PRIVATE -municode)
    list(APPEND QUELLIX_BENCH_FLOOR_TARGETS ${name})
endforeach()
file(GLOB QUELLIX_WIN_BENCHES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*_bench_win.cpp)
foreach(src ${QUELLIX_WIN_BENCHES})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    target_link_libraries(${name} PRIVATE quellix_shell)
    add_dependencies(${name} quellix ${QUELLIX_TOOL_TARGETS} ${QUELLIX_BENCH_FLOOR_TARGETS})
endforeach()

# Python tests that drive quellix.exe under Wine (scripts/wine-run.sh, in the locale that
# QUELLIX_WINE_LOCALE names) and check its files with independent readers; argv[1] is the bin
# directory. They share the prefix's registry and the program's named mutex with the end-to-end
# tests, so they too run one at a time.
file(GLOB QUELLIX_WINE_PY_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/wine_py/test_*.py)
foreach(py ${QUELLIX_WINE_PY_TESTS})
    get_filename_component(name ${py} NAME_WE)
    add_test(NAME wine_py_${name} COMMAND python3 ${py} ${CMAKE_BINARY_DIR}/bin)
    set_tests_properties(wine_py_${name} PROPERTIES RUN_SERIAL TRUE TIMEOUT 300 ENVIRONMENT QUELLIX_WINE_TIMEOUT=170)
endforeach()
