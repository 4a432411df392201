#include "config/SpinEdit.h"

#include <QLineEdit>

#include <algorithm>

TSpinEdit::TSpinEdit(int minimum, int maximum, QWidget* parent) : QSpinBox(parent) {
    setRange(minimum, maximum);
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    // QSpinBox reports changes of its value, which stays within the range;
    // its edit reports every keystroke, also of a number beyond it.
    connect(this, &QSpinBox::textChanged, this, &TSpinEdit::Changed);
    connect(lineEdit(), &QLineEdit::textEdited, this, &TSpinEdit::Changed);
}

int TSpinEdit::ShownValue() const {
    bool ok = false;
    const int typed = cleanText().toInt(&ok);
    return ok ? typed : value();
}

QValidator::State TSpinEdit::validate(QString& text, int& pos) const {
    const QValidator::State state = QSpinBox::validate(text, pos);
    if (state != QValidator::Invalid)
        return state;
    // QSpinBox refuses a number beyond the maximum as it is typed; here it
    // stands until the field loses the focus.
    bool ok = false;
    text.trimmed().toInt(&ok);
    return ok ? QValidator::Intermediate : QValidator::Invalid;
}

void TSpinEdit::fixup(QString& text) const {
    bool ok = false;
    const int typed = text.trimmed().toInt(&ok);
    if (ok)
        text = textFromValue(std::clamp(typed, minimum(), maximum()));
}
