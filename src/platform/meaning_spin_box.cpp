#include "meaning_spin_box.h"

#include <QDynamicPropertyChangeEvent>
#include <QRegularExpression>

namespace platform {

namespace {

// The number a text starts with; false when it starts with none.
bool LeadingNumber(const QString& text, int& number) {
    static const QRegularExpression leading(QStringLiteral("^\\s*(\\d+)"));
    const QRegularExpressionMatch match = leading.match(text);
    if (!match.hasMatch()) return false;
    bool ok = false;
    number = match.captured(1).toInt(&ok);
    return ok;
}

}  // namespace

bool MeaningSpinBox::event(QEvent* event) {
    if (event->type() == QEvent::DynamicPropertyChange &&
        static_cast<QDynamicPropertyChangeEvent*>(event)->propertyName() == "meanings") {
        meanings_ = property("meanings").toStringList();
        setSuffix(suffix());  // shows the text anew
    }
    return QSpinBox::event(event);
}

QString MeaningSpinBox::textFromValue(int value) const {
    const int index = value - minimum();
    if (index < 0 || index >= meanings_.size()) return QSpinBox::textFromValue(value);
    return QStringLiteral("%1: %2").arg(value).arg(meanings_[index]);
}

int MeaningSpinBox::valueFromText(const QString& text) const {
    int number = 0;
    return LeadingNumber(text, number) ? number : QSpinBox::valueFromText(text);
}

QValidator::State MeaningSpinBox::validate(QString& text, int& pos) const {
    if (meanings_.isEmpty()) return QSpinBox::validate(text, pos);
    int number = 0;
    if (!LeadingNumber(text, number)) return QValidator::Intermediate;
    return number >= minimum() && number <= maximum() ? QValidator::Acceptable
                                                      : QValidator::Intermediate;
}

}  // namespace platform
