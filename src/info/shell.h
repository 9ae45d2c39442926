#pragma once

#include <QObject>
#include <QString>

#include <functional>

// Hands a link to the desktop: the browser for a web address, the mail program for a mailto
// link. Tests put a recorder in its place.
class Shell {
public:
    virtual ~Shell() = default;
    // Returns at once; done(true) once the desktop accepted the link, done(false) when it
    // refused it.
    virtual void Open(const QString& link, std::function<void(bool accepted)> done) = 0;
};

// The desktop's own shell. A link counts as refused when no application is registered for
// its scheme or the launcher cannot be started: the launcher alone would report success for a
// link that then goes nowhere.
class DesktopShell : public QObject, public Shell {
    Q_OBJECT

public:
    explicit DesktopShell(QObject* parent = nullptr);

    void Open(const QString& link, std::function<void(bool accepted)> done) override;
};
