// A whole-number control that shows what its value means after the number ("2: distance between
// the edges"), so that a value and its meaning are read together, by eye and by screen readers
// (the control's text is its accessible value). The meanings come from the panel file, as the
// string list property "meanings", one per value from the minimum; without it the control is a
// plain spin box. Typing a number alone is enough; the value (the word sent) stays the number.
#pragma once

#include <QSpinBox>
#include <QStringList>

namespace platform {

class MeaningSpinBox : public QSpinBox {
  public:
    explicit MeaningSpinBox(QWidget* parent = nullptr) : QSpinBox(parent) {}

  protected:
    bool event(QEvent* event) override;
    QString textFromValue(int value) const override;
    int valueFromText(const QString& text) const override;
    QValidator::State validate(QString& text, int& pos) const override;

  private:
    QStringList meanings_;
};

}  // namespace platform
