#pragma once

#include <QWidget>

// Never shown: it carries the stopping of the scheduler companion before an installation.
class TTerminateForm : public QWidget {
    Q_OBJECT

public:
    explicit TTerminateForm(QWidget* parent = nullptr);

    void FormCreate();
};
