#pragma once

#include <QAbstractButton>
#include <QKeySequence>
#include <QLabel>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QStringList>
#include <QWidget>

namespace Demagora::Testing {

// The Alt+letter keys of a window: for each key, the texts of the buttons, labelled controls
// and menu-bar menus that claim it. A key claimed twice activates nothing on its first press.
inline QMap<QString, QStringList> mnemonicsOf(const QWidget &window)
{
    QMap<QString, QStringList> keys;
    const auto claim = [&](const QString &text) {
        const QKeySequence key = QKeySequence::mnemonic(text);
        if (!key.isEmpty())
            keys[key.toString()] << text;
    };
    for (const QAbstractButton *button : window.findChildren<QAbstractButton *>())
        claim(button->text());
    for (const QLabel *label : window.findChildren<QLabel *>()) {
        if (label->buddy())
            claim(label->text());
    }
    for (const QMenuBar *bar : window.findChildren<QMenuBar *>()) {
        for (const QAction *action : bar->actions())
            claim(action->text());
    }
    return keys;
}

// The keys of mnemonicsOf claimed more than once, each with its texts joined: "Alt+A: ...".
inline QStringList sharedMnemonics(const QWidget &window)
{
    QStringList shared;
    const QMap<QString, QStringList> keys = mnemonicsOf(window);
    for (auto key = keys.begin(); key != keys.end(); ++key) {
        if (key.value().size() > 1)
            shared << key.key() + QStringLiteral(": ") + key.value().join(QStringLiteral(", "));
    }
    return shared;
}

} // namespace Demagora::Testing
