#pragma once

#include <QWidget>

// The update dialog: the version check and the download of a newer installer.
class TVersionsForm : public QWidget {
    Q_OBJECT

public:
    explicit TVersionsForm(QWidget* parent = nullptr);

    void FormCreate();
};
