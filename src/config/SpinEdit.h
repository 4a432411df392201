#pragma once
#include <QSpinBox>

// A spin edit that holds whole numbers within its range, where a number
// typed outside the range stands while the field has the focus and becomes
// the nearest bound when the focus leaves. A value set by the program is
// clamped at once, as QSpinBox does.
class TSpinEdit : public QSpinBox {
    Q_OBJECT
  public:
    TSpinEdit(int minimum, int maximum, QWidget* parent = nullptr);

    // The number the field shows, also while a typed one lies outside the
    // range; the value when the text is no number.
    int ShownValue() const;

  signals:
    // Every change of the text: typed, spun or set by the program.
    void Changed();

  protected:
    QValidator::State validate(QString& text, int& pos) const override;
    void fixup(QString& text) const override;
};
