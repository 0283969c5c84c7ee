// A two-position switch: value 0 (off) or 1 (on), with its off text left of the switch and its on
// text right of it. A checkable button underneath: mouse clicks, the space key and an assistive
// tool's press or toggle action toggle it and emit clicked(); setChecked() does not.
//
// Panel file properties: offText, onText, value (the initial position, 0 or 1).
#pragma once

#include <QAbstractButton>

namespace platform {

class BinarySwitch : public QAbstractButton {
    Q_OBJECT
    Q_PROPERTY(QString offText READ offText WRITE setOffText)
    Q_PROPERTY(QString onText READ onText WRITE setOnText)
    Q_PROPERTY(int value READ value WRITE setValue)

  public:
    explicit BinarySwitch(QWidget* parent = nullptr);

    int value() const { return isChecked() ? 1 : 0; }
    void setValue(int value) { setChecked(value != 0); }
    QString offText() const { return offText_; }
    QString onText() const { return onText_; }
    void setOffText(const QString& text);
    void setOnText(const QString& text);

    QSize sizeHint() const override;

    // Makes assistive tools see switches as check boxes (once per process).
    static void installAccessibility();
    QSize minimumSizeHint() const override { return sizeHint(); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }

  private:
    QSize trackSize() const;
    void textsChanged();

    QString offText_;
    QString onText_;
};

}  // namespace platform
