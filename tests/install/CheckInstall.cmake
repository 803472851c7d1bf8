# Installs the build at BUILD_DIR into PREFIX (emptied first) and checks that the programs, the
# menu entry and the icons land where the freedesktop menu and the hicolor icon theme look for
# them, and that nothing else (tests, benchmarks) is installed. GUI says whether the build has
# the window program; BINDIR and DATADIR are the build's CMAKE_INSTALL_BINDIR and _DATADIR.
# The prefix is removed when every check passes and kept for a look when one fails.
cmake_minimum_required(VERSION 3.25)

foreach(name BUILD_DIR PREFIX BINDIR DATADIR GUI)
    if(NOT DEFINED ${name} OR "${${name}}" STREQUAL "")
        message(FATAL_ERROR "CheckInstall.cmake: ${name} is not set")
    endif()
endforeach()

file(REMOVE_RECURSE "${PREFIX}")
execute_process(
    COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install ${BUILD_DIR} --prefix ${PREFIX} failed (${result}):\n"
                        "${output}")
endif()

set(sizes 16 32 48 64 128 256)
set(expected "${BINDIR}/tarvish-batch" "${BINDIR}/tarvish-summary")
if(GUI)
    list(APPEND expected
        "${BINDIR}/tarvish"
        "${DATADIR}/applications/tarvish.desktop"
        "${DATADIR}/icons/hicolor/scalable/apps/tarvish.svg")
    foreach(size IN LISTS sizes)
        list(APPEND expected "${DATADIR}/icons/hicolor/${size}x${size}/apps/tarvish.png")
    endforeach()
endif()

# The Python module and its type stub, where the prefix's Python finds them (PYTHON_MODULE,
# relative to the prefix, when the build has it).
if(PYTHON_MODULE)
    get_filename_component(python_dir "${PYTHON_MODULE}" DIRECTORY)
    list(APPEND expected "${PYTHON_MODULE}" "${python_dir}/tarvish.pyi")
endif()

set(failures "")
file(GLOB_RECURSE installed LIST_DIRECTORIES false RELATIVE "${PREFIX}" "${PREFIX}/*")
foreach(file IN LISTS expected)
    if(NOT file IN_LIST installed)
        string(APPEND failures "missing: ${file}\n")
    endif()
endforeach()
foreach(file IN LISTS installed)
    if(NOT file IN_LIST expected)
        string(APPEND failures "not expected: ${file}\n")
    endif()
endforeach()

# The installed commands start: they find everything they link against outside the build tree.
foreach(command tarvish-batch tarvish-summary)
    set(program "${PREFIX}/${BINDIR}/${command}")
    if(EXISTS "${program}")
        execute_process(COMMAND "${program}" --help
            RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
        if(NOT result EQUAL 0 OR NOT output MATCHES "^Usage: ${command}")
            string(APPEND failures "${program} --help: exit ${result}\n${output}${errors}\n")
        endif()
    endif()
endforeach()

if(PYTHON_MODULE AND EXISTS "${PREFIX}/${PYTHON_MODULE}")
    execute_process(
        COMMAND "${CMAKE_COMMAND}" -E env "PYTHONPATH=${PREFIX}/${python_dir}" "${PYTHON}" -c
                "import tarvish; print(tarvish.__file__)"
        RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
    if(NOT result EQUAL 0 OR NOT output MATCHES "^${PREFIX}")
        string(APPEND failures "import tarvish from ${PREFIX}: exit ${result}\n${output}${errors}\n")
    endif()
endif()

if(GUI)
    # The menu entry starts the installed program and names the installed icon.
    set(entry "${PREFIX}/${DATADIR}/applications/tarvish.desktop")
    if(EXISTS "${entry}")
        file(STRINGS "${entry}" exec REGEX "^Exec=")
        file(STRINGS "${entry}" icon REGEX "^Icon=")
        if(NOT exec STREQUAL "Exec=tarvish" OR NOT icon STREQUAL "Icon=tarvish")
            string(APPEND failures "${entry}: '${exec}', '${icon}' instead of "
                                   "'Exec=tarvish', 'Icon=tarvish'\n")
        endif()
    endif()
    # An NxN folder holds an N x N picture: width and height are bytes 16 to 23 of a PNG.
    foreach(size IN LISTS sizes)
        set(png "${PREFIX}/${DATADIR}/icons/hicolor/${size}x${size}/apps/tarvish.png")
        if(EXISTS "${png}")
            file(READ "${png}" header LIMIT 24 HEX)
            string(LENGTH "${header}" length)
            if(length LESS 48)
                string(APPEND failures "${png}: shorter than a PNG header\n")
                continue()
            endif()
            string(SUBSTRING "${header}" 0 16 signature)
            string(SUBSTRING "${header}" 32 8 width)
            string(SUBSTRING "${header}" 40 8 height)
            math(EXPR width "0x${width}")
            math(EXPR height "0x${height}")
            if(NOT signature STREQUAL "89504e470d0a1a0a" OR NOT width EQUAL size
               OR NOT height EQUAL size)
                string(APPEND failures
                       "${png}: signature ${signature}, ${width} x ${height} pixels for ${size}\n")
            endif()
        endif()
    endforeach()
endif()

if(failures)
    list(JOIN installed "\n  " listing)
    message(FATAL_ERROR "Install into ${PREFIX} (GUI ${GUI}):\n${failures}Installed:\n  ${listing}")
endif()
list(JOIN installed ", " listing)
message(STATUS "Installed into ${PREFIX}: ${listing}")
file(REMOVE_RECURSE "${PREFIX}")
