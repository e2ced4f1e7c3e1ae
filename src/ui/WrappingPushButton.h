#pragma once

#include <QPushButton>

// A push button whose caption wraps at blanks when it does not fit on one line, as the tall,
// narrow buttons beside the list need.
class WrappingPushButton final : public QPushButton {
    Q_OBJECT
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent* event) override;
};
