# Precompiled headers: reading the standard library, Qt and GoogleTest headers is most of the time a
# translation unit takes to compile, so the targets with many sources parse them once.
# -DPAVO_PCH=OFF builds without them (scripts/buildtime compares both).
option(PAVO_PCH "Precompiled headers for the targets with many sources" ON)

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
