# Precompiled headers: the standard library, Qt, fmt and pugixml headers most sources include
# are parsed once per build, not once per source. Two headers are made, one for the libraries
# and programs and one for the test programs (which add GoogleTest), and every target of the
# project reuses one of them. Reuse needs the same compile flags as the header was made with,
# so every target gets the same Qt modules' include folders and definitions.

set(TRELLIS_PCH_HEADERS
    <algorithm> <array> <chrono> <cstdint> <functional> <map> <memory> <mutex> <optional>
    <set> <string> <string_view> <thread> <utility> <vector>
    <fmt/format.h> <fmt/printf.h> <pugixml.hpp>
    <QtCore/QByteArray> <QtCore/QCoreApplication> <QtCore/QDateTime> <QtCore/QDir>
    <QtCore/QElapsedTimer> <QtCore/QFile> <QtCore/QFileInfo> <QtCore/QJsonArray>
    <QtCore/QJsonDocument> <QtCore/QJsonObject> <QtCore/QObject> <QtCore/QProcess>
    <QtCore/QRegularExpression> <QtCore/QString> <QtCore/QStringList> <QtCore/QTemporaryDir>
    <QtCore/QTimer>
    <QtGui/QMouseEvent> <QtGui/QPainter>
    <QtWidgets/QApplication> <QtWidgets/QCheckBox> <QtWidgets/QDialog> <QtWidgets/QHBoxLayout>
    <QtWidgets/QLabel> <QtWidgets/QLineEdit> <QtWidgets/QPushButton> <QtWidgets/QVBoxLayout>
    <QtWidgets/QWidget>)

# The flags every target shares with the headers: include folders and definitions of the Qt
# modules and fmt, whether the target uses them or not (no libraries are linked by this).
add_library(trellis_pch_flags INTERFACE)
foreach(dependency Qt6::Core Qt6::Gui Qt6::Widgets Qt6::Network fmt::fmt pugixml::pugixml)
    target_include_directories(trellis_pch_flags SYSTEM INTERFACE
        $<TARGET_PROPERTY:${dependency},INTERFACE_INCLUDE_DIRECTORIES>)
    target_compile_definitions(trellis_pch_flags INTERFACE
        $<TARGET_PROPERTY:${dependency},INTERFACE_COMPILE_DEFINITIONS>)
endforeach()
target_compile_options(trellis_pch_flags INTERFACE
    $<TARGET_PROPERTY:Qt6::Core,INTERFACE_COMPILE_OPTIONS>)

# The object libraries that make the two headers, from an empty source.
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/precompiled.cpp CONTENT "")
function(trellis_pch_target name)
    add_library(${name} OBJECT ${CMAKE_BINARY_DIR}/precompiled.cpp)
    set_target_properties(${name} PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)
    target_link_libraries(${name} PRIVATE trellis_pch_flags ${ARGN})
    target_precompile_headers(${name} PRIVATE ${TRELLIS_PCH_HEADERS})
endfunction()

# Gives each of the targets the shared flags and a precompiled header: the test header to
# those that link GoogleTest, the other to the rest.
function(trellis_use_precompiled_headers targets)
    trellis_pch_target(trellis_pch)
    set(tests_found OFF)
    foreach(target ${targets})
        get_target_property(links ${target} LINK_LIBRARIES)
        if(target STREQUAL "trellis_test_main" OR "trellis_test_main" IN_LIST links)
            if(NOT tests_found)
                trellis_pch_target(trellis_test_pch GTest::gtest)
                target_precompile_headers(trellis_test_pch PRIVATE <gtest/gtest.h>)
                set(tests_found ON)
            endif()
            set(header trellis_test_pch)
        else()
            set(header trellis_pch)
        endif()
        target_link_libraries(${target} PRIVATE trellis_pch_flags)
        target_precompile_headers(${target} REUSE_FROM ${header})
    endforeach()
endfunction()
