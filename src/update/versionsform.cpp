#include "update/versionsform.h"

#include "settings/programidentity.h"

TVersionsForm::TVersionsForm(QWidget* parent) : QWidget(parent) {}

void TVersionsForm::FormCreate() {
    setWindowTitle(ProductName + QStringLiteral(" - Update"));
}
