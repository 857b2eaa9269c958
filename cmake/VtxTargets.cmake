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

# Link options of every program and DLL: static runtime, so only system DLLs
# are imported.
function(vtx_static_link target)
    target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++ -s -Wl,--gc-sections)
endfunction()

# A unit-test program on GoogleTest, run under Wine in the shared "unit" prefix.
function(vtx_unit_test name)
    add_executable(${name} ${ARGN})
    vtx_common_target(${name})
    target_compile_options(${name} PRIVATE
        -include ${CMAKE_SOURCE_DIR}/testkit/gtest/gtest_win32_notification.h)
    target_link_libraries(${name} PRIVATE vtxcore gtest_main)
    vtx_static_link(${name})
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "VTX_WINE_ROOT=${VTX_WINE_ROOT}" LABELS unit TIMEOUT 300)
endfunction()
