// Types text as a keyboard would, one key event per character, Chinese included (QTest's key
// helpers know only ASCII).
#pragma once

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

inline void typeText(QWidget* Target, const QString& Text) {
    for (const char32_t code : Text.toUcs4()) {
        const QString character = QString::fromUcs4(&code, 1);
        const int key = code < 0x80 ? QChar(code).toUpper().unicode() : 0;
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, character);
        QCoreApplication::sendEvent(Target, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, character);
        QCoreApplication::sendEvent(Target, &release);
    }
}
