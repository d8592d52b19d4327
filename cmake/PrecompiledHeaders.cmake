# Precompiled headers: most of a compile here is parsing Qt's headers again, so every
# target that uses Qt shares one of three precompiled headers: Qt Core (the logic
# libraries), Qt Widgets (the windows) and Qt Test (the tests). A fresh machine builds the
# project several times over (Linux, Windows, ThreadSanitizer), so this counts in CI.
#
# A precompiled header is used only when the macros it depends on are the same as at its
# compile; gcc says so with -Winvalid-pch, and then parses the headers as usual. The
# fuzz build (clang, which refuses such a header outright) goes without: it also proves
# that the libraries' sources include what they use.
option(TILLORA_PCH "Share precompiled Qt and standard headers between the targets" ON)

# ccache caches compiles that use a precompiled header only with these allowances.
if(TILLORA_PCH AND CMAKE_HOST_UNIX AND CMAKE_CXX_COMPILER_LAUNCHER MATCHES "ccache$")
    set(CMAKE_CXX_COMPILER_LAUNCHER env
        CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
        ${CMAKE_CXX_COMPILER_LAUNCHER})
endif()

set(tillora_pch_core
    <algorithm> <array> <chrono> <functional> <memory> <mutex> <optional> <vector>
    <QByteArray> <QCoreApplication> <QDateTime> <QDir> <QElapsedTimer> <QFile>
    <QFileInfo> <QHash> <QJsonArray> <QJsonDocument> <QJsonObject> <QList> <QLocale>
    <QMap> <QObject> <QPointer> <QProcess> <QRegularExpression> <QSaveFile> <QSet>
    <QSettings> <QStandardPaths> <QString> <QStringList> <QTemporaryDir> <QTextStream>
    <QThread> <QTimer>)
set(tillora_pch_widgets
    ${tillora_pch_core}
    <QApplication> <QCheckBox> <QComboBox> <QDialog> <QFileDialog> <QFormLayout>
    <QGridLayout> <QGroupBox> <QHBoxLayout> <QLabel> <QLineEdit> <QListWidget>
    <QMessageBox> <QPlainTextEdit> <QProgressBar> <QPushButton> <QSpinBox>
    <QSystemTrayIcon> <QTableWidget> <QTreeWidget> <QVBoxLayout> <QWidget>)
set(tillora_pch_test ${tillora_pch_widgets} <QSignalSpy> <QtTest>)

# What the tests share besides the header: QtTest's headers look at which Qt modules are
# linked and at the test's own folders. No test finds data through QFINDTESTDATA, so the
# folders are left undefined and every test links the same modules.
function(_tillora_test_pch_settings target)
    target_link_libraries(${target} PRIVATE Qt6::Test Qt6::Widgets Qt6::Network)
    target_compile_options(${target} PRIVATE
        -UQT_TESTCASE_BUILDDIR -UQT_TESTCASE_SOURCEDIR)
endfunction()

function(_tillora_add_pch_base kind)
    set(stub ${CMAKE_BINARY_DIR}/pch/${kind}.cpp)
    file(CONFIGURE OUTPUT ${stub} CONTENT "// Compiles the shared header only.\n")
    add_library(tillora_pch_${kind} OBJECT ${stub})
    set_target_properties(tillora_pch_${kind} PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)
    target_precompile_headers(tillora_pch_${kind} PRIVATE ${tillora_pch_${kind}})
endfunction()

# Every target below `dir`, its subfolders' included.
function(_tillora_targets_below dir out)
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    foreach(sub IN LISTS subdirs)
        _tillora_targets_below(${sub} below)
        list(APPEND targets ${below})
    endforeach()
    set(${out} ${targets} PARENT_SCOPE)
endfunction()

# The Qt modules a target links, directly or through the libraries it links.
function(_tillora_qt_modules target out)
    set(seen "")
    set(queue ${target})
    set(modules "")
    list(LENGTH queue left)
    while(left GREATER 0)
        list(POP_FRONT queue item)
        list(LENGTH queue left)
        if(item IN_LIST seen OR NOT TARGET ${item})
            continue()
        endif()
        list(APPEND seen ${item})
        if(item MATCHES "^Qt6::(Core|Widgets|Test)$")
            list(APPEND modules ${CMAKE_MATCH_1})
            continue()
        endif()
        get_target_property(imported ${item} IMPORTED)
        if(imported)
            continue()
        endif()
        # A target's own links, then what the libraries it links pass on to their users.
        # A static library's private dependencies ($<LINK_ONLY:...>) give its users no
        # headers or macros, so they are not followed.
        if(item STREQUAL target)
            set(property LINK_LIBRARIES)
        else()
            set(property INTERFACE_LINK_LIBRARIES)
        endif()
        get_target_property(links ${item} ${property})
        if(links)
            list(APPEND queue ${links})
            list(LENGTH queue left)
        endif()
    endwhile()
    set(${out} ${modules} PARENT_SCOPE)
endfunction()

# Gives each C++ target the shared header of the widest Qt module it links. Call it once,
# after every target is defined.
function(tillora_share_precompiled_headers)
    if(NOT TILLORA_PCH)
        return()
    endif()
    _tillora_targets_below(${CMAKE_SOURCE_DIR} targets)
    foreach(kind core widgets test)
        _tillora_add_pch_base(${kind})
    endforeach()
    target_link_libraries(tillora_pch_core PRIVATE Qt6::Core)
    target_link_libraries(tillora_pch_widgets PRIVATE Qt6::Widgets)
    _tillora_test_pch_settings(tillora_pch_test)
    foreach(target IN LISTS targets)
        get_target_property(type ${target} TYPE)
        if(NOT type MATCHES "^(STATIC_LIBRARY|OBJECT_LIBRARY|EXECUTABLE)$"
           OR target MATCHES "^tillora_pch_")
            continue()
        endif()
        # A Windows GUI program gets Qt's entry point, which defines a macro of its own;
        # the two programs are a few sources each.
        get_target_property(gui_program ${target} WIN32_EXECUTABLE)
        if(gui_program)
            continue()
        endif()
        _tillora_qt_modules(${target} modules)
        if("Test" IN_LIST modules)
            set(kind test)
        elseif("Widgets" IN_LIST modules)
            set(kind widgets)
        elseif("Core" IN_LIST modules)
            set(kind core)
        else()
            continue()
        endif()
        if(kind STREQUAL "test")
            _tillora_test_pch_settings(${target})
            # A test includes its own moc output, so the file automoc adds is empty, and
            # loading the header would cost it seconds for nothing.
            get_target_property(binary_dir ${target} BINARY_DIR)
            set_source_files_properties(${binary_dir}/${target}_autogen/mocs_compilation.cpp
                TARGET_DIRECTORY ${target} PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
        endif()
        target_precompile_headers(${target} REUSE_FROM tillora_pch_${kind})
    endforeach()
endfunction()
