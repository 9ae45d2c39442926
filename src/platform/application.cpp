#include "platform/application.h"

#include "platform/applog.h"
#include "platform/programicon.h"
#include "platform/programpalette.h"

#include <QMessageBox>

#include <exception>

namespace {

void ShowInMessageBox(const QString& message) {
    QMessageBox::critical(nullptr, QApplication::applicationDisplayName(), message);
}

Application::ErrorReporter& Reporter() {
    static Application::ErrorReporter reporter = ShowInMessageBox;
    return reporter;
}

} // namespace

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
    // The windows look as designed under any desktop theme, light or dark.
    setPalette(ProgramPalette());
    // Every window, dialog and message box takes this icon unless it sets its own.
    setWindowIcon(ProgramIcon());
    // Lets a Wayland compositor find the desktop entry, and with it the icon.
    setDesktopFileName(DesktopId);
}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ShowException(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        ShowException(QStringLiteral("Onbekende fout"));
    }
    return false;
}

void Application::SetErrorReporter(ErrorReporter reporter) {
    Reporter() = reporter ? std::move(reporter) : ErrorReporter(ShowInMessageBox);
}

void Application::ShowException(const QString& message) {
    qCWarning(lcApp) << "unhandled error:" << message;
    Reporter()(message);
}
