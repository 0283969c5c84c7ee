// The panel's drop-down list: tells before it opens (so its items can be brought up to date), opens
// as wide as its longest item, and shows a chosen item too long for the closed control cut short
// with "..." rather than clipped mid-word. Private to the platform layer.
#pragma once

#include <QComboBox>
#include <functional>

namespace platform {

class DropDownList : public QComboBox {
  public:
    explicit DropDownList(QWidget* parent = nullptr) : QComboBox(parent) {}
    // Runs before the list opens, by mouse or keyboard; it may change the items.
    void SetBeforeOpen(std::function<void()> beforeOpen) { beforeOpen_ = std::move(beforeOpen); }
    void showPopup() override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::function<void()> beforeOpen_;
};

}  // namespace platform
