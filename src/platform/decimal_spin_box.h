// A numeric control for decimal fractions that reads "1.5" and "1,5" alike in every locale. A
// plain QDoubleSpinBox takes the other locale's decimal mark for a group separator, so "1,5"
// would become 15: ten times the value, sent to the sensor.
#pragma once

#include <QDoubleSpinBox>
#include <QLocale>

namespace platform {

class DecimalSpinBox : public QDoubleSpinBox {
  public:
    explicit DecimalSpinBox(QWidget* parent = nullptr) : QDoubleSpinBox(parent) {
        QLocale c = QLocale::c();
        c.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
        setLocale(c);
    }

  protected:
    QValidator::State validate(QString& text, int& pos) const override {
        text.replace(QLatin1Char(','), QLatin1Char('.'));
        return QDoubleSpinBox::validate(text, pos);
    }
    double valueFromText(const QString& text) const override {
        QString decimal = text;
        decimal.replace(QLatin1Char(','), QLatin1Char('.'));
        return QDoubleSpinBox::valueFromText(decimal);
    }
};

}  // namespace platform
