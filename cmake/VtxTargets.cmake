# Build settings shared by the product, the test kit and the tests.

# Plain Win32 for Windows 95 and NT 4.0: the headers then keep out what those
# systems lack. ANSI only: UNICODE is never defined.
set(VTX_WIN_DEFS WINVER=0x0400 _WIN32_WINNT=0x0400 _WIN32_IE=0x0400 WIN32_LEAN_AND_MEAN)

# Code of this project (product, test kit, tests).
function(vtx_common_target target)
    target_compile_definitions(${target} PRIVATE ${VTX_WIN_DEFS})
    target_compile_options(${target} PRIVATE
        $<$<COMPILE_LANGUAGE:C,CXX>:-Wall -Wextra -Wformat=2 -Wformat-security>)
endfunction()

# Shipped code: small, stripped, statically linked.
function(vtx_product_target target)
    vtx_common_target(${target})
    target_compile_options(${target} PRIVATE
        $<$<COMPILE_LANGUAGE:C,CXX>:-Os -ffunction-sections -fdata-sections>)
endfunction()

# The C runtime of every program and DLL is CRTDLL.DLL, part of every
# Windows 95 and NT release (msvcrt.dll is not: see crtdll-link.rules).
# crtdll_compat.c supplies what the static runtimes want beyond it;
# crtdll_posix.c what GoogleTest and file streams want as well. The linker
# keeps the imports of a linked shim even when it drops the shim, so shipped
# files get the first alone. CRTDLL.DLL exists only for 32-bit Windows: the
# 64-bit test build keeps msvcrt.dll.
set(VTX_CRTDLL_RULES ${CMAKE_CURRENT_LIST_DIR}/crtdll-link.rules)
if(VTX_WINEARCH STREQUAL win32)
    add_library(vtxcrtdll OBJECT ${CMAKE_CURRENT_LIST_DIR}/crtdll_compat.c)
    add_library(vtxcrtdll_posix OBJECT ${CMAKE_CURRENT_LIST_DIR}/crtdll_posix.c)
    foreach(shim vtxcrtdll vtxcrtdll_posix)
        target_compile_definitions(${shim} PRIVATE ${VTX_WIN_DEFS})
        target_compile_options(${shim} PRIVATE -Os -ffunction-sections -fdata-sections -Wall -Wextra)
    endforeach()
endif()

# vtx_static_link(target [SHIPPED]): link options of every program and DLL:
# static runtime over CRTDLL.DLL, so only system DLLs are imported.
function(vtx_static_link target)
    cmake_parse_arguments(PARSE_ARGV 1 arg "SHIPPED" "" "")
    target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++ -s -Wl,--gc-sections)
    if(NOT VTX_WINEARCH STREQUAL win32)
        return()
    endif()
    target_sources(${target} PRIVATE $<TARGET_OBJECTS:vtxcrtdll>)
    if(NOT arg_SHIPPED)
        target_sources(${target} PRIVATE $<TARGET_OBJECTS:vtxcrtdll_posix>)
    endif()
    target_link_options(${target} PRIVATE -specs=${VTX_CRTDLL_RULES})
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${VTX_CRTDLL_RULES})
endfunction()

# vtx_skipped_test(name reason [LABELS ...]): a test that cannot run in this
# build. It is listed as skipped, never as passed, with the reason in its
# output ("SKIPPED name: reason", as the kit's pytest plugin writes it).
function(vtx_skipped_test name reason)
    cmake_parse_arguments(PARSE_ARGV 2 arg "" "" "LABELS")
    add_test(NAME ${name} COMMAND sh -c "echo \"SKIPPED $0: $1\"; exit 77" ${name} "${reason}")
    set_tests_properties(${name} PROPERTIES SKIP_RETURN_CODE 77 LABELS "${arg_LABELS}")
endfunction()

# A GoogleTest program of the project, not yet registered as a test.
function(vtx_test_program name)
    add_executable(${name} ${ARGN})
    vtx_common_target(${name})
    target_compile_options(${name} PRIVATE
        -include ${CMAKE_SOURCE_DIR}/testkit/gtest/gtest_win32_notification.h)
    target_link_libraries(${name} PRIVATE vtxcore gtest_main)
    vtx_static_link(${name})
endfunction()

# vtx_unit_test(name [PREFIX prefix] sources...): a GoogleTest program run under
# Wine, in the shared prefix "unit" or, for tests that change the Windows
# directory or the log, in a prefix of their own.
function(vtx_unit_test name)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "PREFIX" "")
    vtx_test_program(${name} ${arg_UNPARSED_ARGUMENTS})
    if(arg_PREFIX)
        set_property(TARGET ${name} PROPERTY CROSSCOMPILING_EMULATOR ${VTX_WINERUN} --prefix ${arg_PREFIX})
    endif()
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "VTX_WINE_ROOT=${VTX_WINE_ROOT}" LABELS unit TIMEOUT 300
        FIXTURES_REQUIRED wine)
endfunction()

# vtx_persona_test(test program prefix persona [winerun flags...]): runs a test
# program in its own prefix under a Windows persona (win95, win98, winme, nt40,
# win2k, winxp); the program finds the persona in VTX_EXPECT_WINVER.
function(vtx_persona_test test program prefix persona)
    add_test(NAME ${test} COMMAND ${VTX_WINERUN} --prefix ${prefix} --version ${persona} ${ARGN}
                                  $<TARGET_FILE:${program}>)
    set_tests_properties(${test} PROPERTIES LABELS unit TIMEOUT 300 FIXTURES_REQUIRED wine
        ENVIRONMENT "VTX_WINE_ROOT=${VTX_WINE_ROOT};VTX_EXPECT_WINVER=${persona}")
endfunction()
