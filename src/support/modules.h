#pragma once

#include <QObject>
#include <QString>

// The program's own modules (the alarm's sound, the history's chart) are Qt plugins loaded on
// first use, so a program that never needs one never maps the libraries behind it. Each
// module's interface is declared once, with Q_DECLARE_INTERFACE, in a header the program and
// the module share.
//
// The root object of the module FILENAME, looked up in the package's module folder beside the
// program and then in the build's; null when it cannot be loaded, with the reason in *error.
// A loaded module stays loaded: what it made may live as long as the program.
QObject* LoadModule(const QString& fileName, QString* error = nullptr);

template <class Interface>
Interface* LoadModuleAs(const QString& fileName, QString* error = nullptr) {
    auto* module = qobject_cast<Interface*>(LoadModule(fileName, error));
    if (!module && error && error->isEmpty())
        *error = fileName + " does not offer the interface asked for";
    return module;
}
