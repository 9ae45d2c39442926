#include "widgets/clrbtn.h"

TClrBtn::TClrBtn(const QString& text, QWidget* parent) : QPushButton(text, parent) {
    // Enter in a dialog presses none of these by itself.
    setAutoDefault(false);
}

void TClrBtn::SetColours(const QColor& colour, const QColor& hoverColour) {
    setStyleSheet(QStringLiteral("TClrBtn { background: %1; border: 1px solid gray; }"
                                 "TClrBtn:hover { background: %2; }")
                      .arg(colour.name(), hoverColour.name()));
}
