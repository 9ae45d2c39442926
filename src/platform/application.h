#pragma once

#include <QApplication>

#include <functional>

// The application object with the program's general error handler: an exception that escapes
// an event handler ends only that handler; its message is shown and the event loop goes on.
class Application : public QApplication {
    Q_OBJECT

public:
    Application(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Where the messages go; by default a message box. Tests put their own here.
    using ErrorReporter = std::function<void(const QString& message)>;
    static void SetErrorReporter(ErrorReporter reporter);
    static void ShowException(const QString& message);
};
