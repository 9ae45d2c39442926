#pragma once

#include "info/shell.h"

#include <QStringList>

// Stands in for the desktop: records every link and gives the answer it is told.
class RecordingShell : public Shell {
public:
    void Open(const QString& link, std::function<void(bool)> done) override {
        Links.append(link);
        done(Accepts);
    }
    QStringList Links;
    bool Accepts = false;
};
