# vtx_e2e_tests(<file.py> [NO_WINE] [LABELS label...] [TIMEOUT seconds] [COST n])
#
# Registers every top-level `def test_...(` of a Python test file as its own
# ctest test "<file stem>.<function>", run by pytest as testkit/pytest.ini
# configures it (pytest FILE::FUNCTION). The functions are found when CMake
# configures; editing the file re-runs the configuration. Each test makes
# its own Wine prefixes, so tests run side by side (ctest -j), each on one
# processor (testkit/onecpu). Folders in
# VTX_E2E_PYTHONPATH (a list) hold modules the test files share. Compiled
# modules (and pytest's rewritten test files) go to the build tree's
# pycache/, never beside the sources, even where the environment asks for
# none: each test's Python starts from them instead of compiling pytest and
# the kit again (the prefix hides the compiled files beside the sources).
# COST (default 10) orders them where ctest has measured nothing yet (a
# fresh build tree, as every CI run has): the costliest start first, and
# short tests fill the end, where a long one would run alone. Unless NO_WINE
# says the file starts no Wine, its tests wait for the template prefix
# (the fixture "wine", testkit/CMakeLists.txt).
function(vtx_e2e_tests file)
    cmake_parse_arguments(E2E "NO_WINE" "TIMEOUT;COST" "LABELS" ${ARGN})
    get_filename_component(path ${file} ABSOLUTE)
    get_filename_component(stem ${file} NAME_WE)
    if(NOT E2E_TIMEOUT)
        set(E2E_TIMEOUT 300)
    endif()
    if(NOT E2E_COST)
        set(E2E_COST 10)
    endif()
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${path})
    set(pythonpath ${CMAKE_SOURCE_DIR}/testkit/py ${VTX_E2E_PYTHONPATH})
    string(REPLACE ";" ":" pythonpath "${pythonpath}")
    file(STRINGS ${path} definitions REGEX "^def test_[A-Za-z0-9_]+ *\\(")
    if(NOT definitions)
        message(WARNING "${file}: no test functions found")
    endif()
    set(environment
        VTX_SOURCE_DIR=${CMAKE_SOURCE_DIR}
        VTX_BUILD_DIR=${CMAKE_BINARY_DIR}
        VTX_WINE_ROOT=${VTX_WINE_ROOT}
        WINEARCH=${VTX_WINEARCH}
        PYTHONPATH=${pythonpath}
        PYTHONPYCACHEPREFIX=${CMAKE_BINARY_DIR}/pycache
        PYTHONDONTWRITEBYTECODE=)
    foreach(definition IN LISTS definitions)
        string(REGEX REPLACE "^def (test_[A-Za-z0-9_]+).*" "\\1" function "${definition}")
        set(test ${stem}.${function})
        add_test(NAME ${test} COMMAND ${VTX_ONECPU} ${VTX_PYTHON} -m pytest -c ${CMAKE_SOURCE_DIR}/testkit/pytest.ini
                 --rootdir ${CMAKE_SOURCE_DIR} ${path}::${function})
        set_tests_properties(${test} PROPERTIES
            ENVIRONMENT "${environment}"
            LABELS "e2e;${E2E_LABELS}"
            TIMEOUT ${E2E_TIMEOUT}
            COST ${E2E_COST}
            SKIP_RETURN_CODE 77)
        if(NOT E2E_NO_WINE)
            set_tests_properties(${test} PROPERTIES FIXTURES_REQUIRED wine)
        endif()
    endforeach()
endfunction()
