#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <QUrl>

#include <optional>
#include <utility>
#include <vector>

// A temporary home for one test: the per-user data and configuration lie in its folder, and the
// rate pages are asked at a closed port until the test names servers of its own. Every variable
// it sets is put back as it was when it ends.
class TestHome {
public:
    TestHome();
    ~TestHome();
    TestHome(const TestHome&) = delete;
    TestHome& operator=(const TestHome&) = delete;

    bool IsValid() const { return Folder.isValid(); }
    QString Path() const { return Folder.path(); }
    QString FilePath(const QString& name) const { return Folder.filePath(name); }
    // The program's settings file, as its windows would keep it.
    QString Ini() const { return FilePath(QStringLiteral("qzRate.ini")); }
    // Sets an environment variable for as long as the home lasts.
    void Set(const char* name, const QByteArray& value);
    // The rate pages come from these servers.
    void ServeRates(const QUrl& iex, const QUrl& d2e);

private:
    QTemporaryDir Folder;
    // Each variable set, with the value it had before (none: it was not set).
    std::vector<std::pair<QByteArray, std::optional<QByteArray>>> Saved;
};

// Writes content to path, making its folder first; the file can be run when executable.
void WriteFile(const QString& path, const QByteArray& content, bool executable = false);
