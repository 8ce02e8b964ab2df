#include "OperatorLineEdit.h"

#include "Application.h"
#include "QtText.h"

#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QStyleHints>

OperatorLineEdit::OperatorLineEdit() {
    setMouseTracking(true);
    connect(this, &QLineEdit::textEdited, this, [this] { operatorEdited = true; });
}

// Every operator edit (keys, input method, paste by shortcut, menu or middle button, drop, undo)
// happens inside an event to this widget; its outcome is judged once that event is done.
bool OperatorLineEdit::event(QEvent* Event) {
    if (eventDepth++ == 0) {
        textBefore = text();
        cursorBefore = cursorPosition();
    }
    // The editor may go within its own event: its deferred deletion, or a switch of the combo
    // box's style made by a handler of the edit.
    const QPointer<OperatorLineEdit> alive(this);
    const bool handled = QLineEdit::event(Event);
    if (!alive)
        return handled;
    if (--eventDepth == 0 && operatorEdited)
        endOfOperatorEvent();
    return handled;
}

void OperatorLineEdit::endOfOperatorEvent() {
    operatorEdited = false;
    // Text the program put in may already be over the limit: the operator can shorten it, but
    // not replace part of it with as much or more.
    const int bytes = gbkLength(text());
    if (MaxBytes > 0 && bytes > MaxBytes && bytes >= gbkLength(textBefore)) {
        setText(textBefore);
        setCursorPosition(cursorBefore);
        return;
    }
    invokeGuarded(Edited);
}

QString OperatorLineEdit::filtered(const QString& Typed) {
    QString kept;
    for (const char32_t code : Typed.toUcs4()) {
        const QString character = QString::fromUcs4(&code, 1);
        std::string bytes = fromQt(character);
        bool survived = true;
        for (char& byte : bytes) {
            char key = byte;
            if (!invokeGuarded([&] { KeyFilter(key); }) || key == 0) {
                survived = false;
                break;
            }
            byte = key;
        }
        if (survived)
            kept += toQt(bytes);
    }
    return kept;
}

void OperatorLineEdit::keyPressEvent(QKeyEvent* Event) {
    QString typed = Event->text();
    if (Event->key() == Qt::Key_Backspace)
        typed = QString(QChar(8));
    // Delete edits without typing a character, though X11 reports it with the text 0x7F.
    if (Event->key() == Qt::Key_Delete)
        typed.clear();
    if (!KeyFilter || typed.isEmpty()) {
        QLineEdit::keyPressEvent(Event);
        return;
    }
    const QString kept = filtered(typed);
    if (kept.isEmpty()) {
        Event->accept();
        return;
    }
    if (kept == typed || !kept.at(0).isPrint()) {
        QLineEdit::keyPressEvent(Event);
        return;
    }
    // The filter changed the character: type its replacement instead.
    QKeyEvent replaced(Event->type(), 0, Event->modifiers(), kept);
    QLineEdit::keyPressEvent(&replaced);
}

void OperatorLineEdit::inputMethodEvent(QInputMethodEvent* Event) {
    if (!KeyFilter || Event->commitString().isEmpty()) {
        QLineEdit::inputMethodEvent(Event);
        return;
    }
    QInputMethodEvent kept(Event->preeditString(), Event->attributes());
    kept.setCommitString(filtered(Event->commitString()), Event->replacementStart(),
                         Event->replacementLength());
    QLineEdit::inputMethodEvent(&kept);
}

void OperatorLineEdit::mousePressEvent(QMouseEvent* Event) {
    lastPressTime = Event->timestamp();
    QLineEdit::mousePressEvent(Event);
}

// The second click of a double click begun elsewhere (on a label that showed this box, say)
// is only a press here.
void OperatorLineEdit::mouseDoubleClickEvent(QMouseEvent* Event) {
    const qint64 interval = QGuiApplication::styleHints()->mouseDoubleClickInterval();
    const bool begunHere =
        lastPressTime >= 0 && static_cast<qint64>(Event->timestamp()) - lastPressTime <= interval;
    if (!begunHere) {
        mousePressEvent(Event);
        return;
    }
    lastPressTime = -1;
    QLineEdit::mouseDoubleClickEvent(Event);
    if (Event->button() == Qt::LeftButton)
        invokeGuarded(DoubleClicked);
}

void OperatorLineEdit::mouseMoveEvent(QMouseEvent* Event) {
    QLineEdit::mouseMoveEvent(Event);
    invokeGuarded(MouseMoved);
}

void OperatorLineEdit::showEvent(QShowEvent* Event) {
    lastPressTime = -1;
    QLineEdit::showEvent(Event);
}
