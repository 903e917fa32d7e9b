# A faster clean build, two ways (scripts/buildtime compares the build with and without them):
# - Precompiled headers: reading the standard library, Qt and GoogleTest headers is most of the time
#   a translation unit takes to parse, so the targets with many sources parse them once.
# - Unity sources: a target's sources compiled a few at a time as one translation unit, so the
#   inline code of those headers is compiled and optimised once per batch instead of once per source.
#   The sources of such a target keep the names of their file-local helpers apart.
# -DPAVO_PCH=OFF builds the old way: no precompiled header, every source on its own.
option(PAVO_PCH "Precompiled headers and unity sources for the targets with many sources" ON)

# ccache takes sources built with a precompiled header only when told to ignore the header's own
# defines and time macros (it hashes the header itself): say so where it is the compiler launcher.
if(PAVO_PCH AND CMAKE_CXX_COMPILER_LAUNCHER MATCHES "ccache")
    set(CMAKE_CXX_COMPILER_LAUNCHER
        ${CMAKE_COMMAND} -E env CCACHE_SLOPPINESS=pch_defines,time_macros ${CMAKE_CXX_COMPILER_LAUNCHER})
endif()

# The headers most sources include; every source of a target sees all of its list.
set(PAVO_PCH_STD
    <algorithm> <array> <atomic> <chrono> <cstddef> <cstdint> <cstdio> <cstring> <functional>
    <memory> <mutex> <optional> <span> <string> <vector>)
set(PAVO_PCH_QT
    <QApplication> <QColor> <QEvent> <QFont> <QFontMetrics> <QImage> <QKeyEvent> <QLabel>
    <QLineEdit> <QMouseEvent> <QObject> <QPainter> <QPixmap> <QPointer> <QString> <QTimer>
    <QWheelEvent> <QWidget>)
set(PAVO_PCH_TEST <gtest/gtest.h> <filesystem> <fstream> <thread>)

# pavo_precompile(<target> <list or header>...): the target's sources get the headers of the lists
# named (STD, QT, TEST) and the <headers> given precompiled.
function(pavo_precompile target)
    if(NOT PAVO_PCH)
        return()
    endif()
    set(headers)
    foreach(item ${ARGN})
        if(item MATCHES "^<")
            list(APPEND headers ${item})
        else()
            list(APPEND headers ${PAVO_PCH_${item}})
        endif()
    endforeach()
    target_precompile_headers(${target} PRIVATE ${headers})
endfunction()

# pavo_precompile_like(<target> <other>): the target uses <other>'s precompiled header instead of
# building one of its own (same compiler flags; for small targets beside a big one).
function(pavo_precompile_like target other)
    if(PAVO_PCH)
        target_precompile_headers(${target} REUSE_FROM ${other})
    endif()
endfunction()

# pavo_unity(<target>...): the targets' sources are compiled in batches (CMake's unity build). The
# batch keeps both cores busy on the larger targets while most of the repeated work goes.
set(PAVO_UNITY_BATCH 8 CACHE STRING "Sources per translation unit in unity builds")
function(pavo_unity)
    if(PAVO_PCH)
        set_target_properties(${ARGN} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE ${PAVO_UNITY_BATCH})
    endif()
endfunction()
