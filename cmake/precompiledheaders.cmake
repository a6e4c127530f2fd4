# Precompiled headers. The Qt Widgets and GoogleTest headers take most of the compile time of
# the window layers and of the tests; a target given these parses them once instead of once
# per file. They are headers those files include anyway, so only the build gets faster.
set(DEMAGORA_QT_PRECOMPILED_HEADERS
    <QAction> <QApplication> <QComboBox> <QDialog> <QHeaderView> <QImage> <QLabel> <QLineEdit>
    <QMenu> <QPainter> <QPushButton> <QSettings> <QString> <QVBoxLayout> <QWidget>
    <algorithm> <functional> <memory> <optional> <string> <vector>)

# A library or program over Qt Widgets.
function(demagora_precompile_qt_headers target)
    target_precompile_headers(${target} PRIVATE ${DEMAGORA_QT_PRECOMPILED_HEADERS})
endfunction()

# A test executable over Qt Widgets.
function(demagora_precompile_qt_test_headers target)
    target_precompile_headers(${target} PRIVATE ${DEMAGORA_QT_PRECOMPILED_HEADERS} <QTest>
        <gtest/gtest.h>)
endfunction()
