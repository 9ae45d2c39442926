#include "info/aboutbox.h"

#include "settings/programidentity.h"

TAboutBox::TAboutBox(QWidget* parent) : QWidget(parent) {}

void TAboutBox::FormCreate() {
    setWindowTitle(ProductName + QStringLiteral(" - Informatie"));
}
