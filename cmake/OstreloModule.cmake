# SPDX-License-Identifier: GPL-3.0-or-later
# One helper for every library and executable: the same language level and warnings everywhere.
function(ostrelo_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion)
    if(OSTRELO_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

# ostrelo_module(<name> SOURCES ... [DEPS ...] [QT])
# Adds the static library ostrelo_<name>. QT turns on AUTOMOC and forbids implicit ASCII casts.
function(ostrelo_module name)
    cmake_parse_arguments(ARG "QT" "" "SOURCES;DEPS" ${ARGN})
    set(target ostrelo_${name})
    add_library(${target} STATIC ${ARG_SOURCES})
    target_include_directories(${target} PUBLIC "${PROJECT_SOURCE_DIR}/src")
    target_link_libraries(${target} PUBLIC ${ARG_DEPS})
    ostrelo_warnings(${target})
    if(ARG_QT)
        set_target_properties(${target} PROPERTIES AUTOMOC ON)
        target_compile_definitions(${target} PUBLIC QT_NO_CAST_FROM_ASCII)
    endif()
endfunction()
