# The Windows tree: the program, laid out as installed (bin/MiniKorvel.exe beside Res/), its
# Windows-side tests and the end-to-end tests, all run through Wine in a private prefix.
enable_language(RC)

add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601
                        WINVER=0x0601)
# Nothing but Windows' own DLLs at run time: the C++ run-time, libgcc and winpthread go in.
add_link_options(-static -static-libgcc -static-libstdc++ $<$<CONFIG:Release,MinSizeRel>:-s>)

find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(ZLIB_USE_STATIC_LIBS ON)
find_package(ZLIB REQUIRED)

set(MK_BIN_DIR ${CMAKE_BINARY_DIR}/bin)
set(MK_RES_DIR ${CMAKE_BINARY_DIR}/Res)
foreach(page loading.html error.html)
  configure_file(${CMAKE_SOURCE_DIR}/Res/${page} ${MK_RES_DIR}/${page} COPYONLY)
endforeach()

add_subdirectory(src/portal)
add_subdirectory(src/skin)
add_subdirectory(src/win)
add_subdirectory(src/app)

# GoogleTest from Debian's sources, built with this toolchain.
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# Tests run through Wine: tools/wine/winerun finds this tree's prefix and display.
set(MK_WINERUN ${CMAKE_SOURCE_DIR}/tools/wine/winerun ${CMAKE_BINARY_DIR})
file(WRITE ${CMAKE_BINARY_DIR}/wine/arch.conf "MK_ARCH=${CMAKE_SYSTEM_PROCESSOR}\n")
add_test(NAME wine_prefix_setup
         COMMAND ${CMAKE_SOURCE_DIR}/tools/wine/prepare-prefix ${CMAKE_BINARY_DIR})
set_tests_properties(wine_prefix_setup PROPERTIES FIXTURES_SETUP wine TIMEOUT 300 LABELS wine)
add_test(NAME wine_prefix_teardown
         COMMAND ${CMAKE_SOURCE_DIR}/tools/wine/stop-prefix ${CMAKE_BINARY_DIR})
set_tests_properties(wine_prefix_teardown PROPERTIES FIXTURES_CLEANUP wine LABELS wine)

# The demo portal, when the program is built for one on this machine: the tests that watch the
# portal's requests get its log, the others run without it.
set(MK_DEMO_LOG "")
if(PORTAL_BASE_ADDRESS MATCHES "^http://(127\\.0\\.0\\.1|localhost):([0-9]+)$")
  set(MK_DEMO_LOG ${CMAKE_BINARY_DIR}/demo-portal/requests.log)
  add_test(NAME demo_portal_start
           COMMAND ${CMAKE_SOURCE_DIR}/tools/demo_portal/control start ${CMAKE_BINARY_DIR}
                   ${CMAKE_MATCH_2})
  set_tests_properties(demo_portal_start PROPERTIES FIXTURES_SETUP demo_portal LABELS wine)
  add_test(NAME demo_portal_stop
           COMMAND ${CMAKE_SOURCE_DIR}/tools/demo_portal/control stop ${CMAKE_BINARY_DIR})
  set_tests_properties(demo_portal_stop PROPERTIES FIXTURES_CLEANUP demo_portal LABELS wine)
endif()
# Where the tests read what the program handed to the shell (tools/wine/prepare-prefix).
set(MK_SHELL_LOG ${CMAKE_BINARY_DIR}/wine/shell.log)

# Checks of the built program that need no Wine.
find_program(MK_OBJDUMP ${MK_MINGW_TRIPLE}-objdump REQUIRED)
add_test(NAME program_is_self_contained_gui_exe
         COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/static/check_pe.py ${MK_OBJDUMP}
                 $<TARGET_FILE:MiniKorvel> ${CMAKE_SYSTEM_PROCESSOR})
set_tests_properties(program_is_self_contained_gui_exe PROPERTIES LABELS static)
add_test(NAME program_version_and_manifest
         COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/static/check_version_resource.py
                 $<TARGET_FILE:MiniKorvel> ${PROJECT_VERSION})
set_tests_properties(program_version_and_manifest PROPERTIES LABELS static)

# The installer and the portable zip, with their checks.
add_subdirectory(installer)
add_subdirectory(tests/win)
add_subdirectory(tests/e2e)
