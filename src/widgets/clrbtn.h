#pragma once

#include <QColor>
#include <QPushButton>

// A push button that paints its own background and changes to a hover colour under the mouse.
class TClrBtn : public QPushButton {
    Q_OBJECT
public:
    TClrBtn(const QString& text, QWidget* parent);

    void SetColours(const QColor& colour, const QColor& hoverColour);
};
