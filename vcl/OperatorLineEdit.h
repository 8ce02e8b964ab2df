// The line editor under TEdit and the editable TComboBox: it tells the operator's edits from the
// program's, runs the key filter on GBK bytes and holds typed text to a GBK byte limit.
#pragma once

#include <QLineEdit>
#include <functional>

class OperatorLineEdit : public QLineEdit {
public:
    OperatorLineEdit();

    // Sees each byte of a typed character; Key = 0 discards the character.
    std::function<void(char& Key)> KeyFilter;
    // After an operator's edit has been accepted (typing, pasting, dropping, undoing).
    std::function<void()> Edited;
    std::function<void()> DoubleClicked;
    std::function<void()> MouseMoved;
    // 0: no limit. Edits that make the text longer than this are refused; program text is not.
    int MaxBytes = 0;

protected:
    bool event(QEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void inputMethodEvent(QInputMethodEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseDoubleClickEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void showEvent(QShowEvent* Event) override;

private:
    // Typed characters surviving the filter (possibly changed by it); empty: all discarded.
    QString filtered(const QString& Typed);
    void endOfOperatorEvent();

    int eventDepth = 0;
    bool operatorEdited = false;
    QString textBefore;
    int cursorBefore = 0;
    // When the press that began a double click landed here; -1: none since shown.
    qint64 lastPressTime = -1;
};
