#pragma once

#include <QWidget>

// The information box: the program's name, version and copyright.
class TAboutBox : public QWidget {
    Q_OBJECT

public:
    explicit TAboutBox(QWidget* parent = nullptr);

    void FormCreate();
};
