#pragma once

#include <QList>
#include <QStringList>

#include <utility>

// The code of SQLite and Qt SQL runs for a few milliseconds per reading. Each page of it that
// runs brings the 64 kB around it into the program's resident set, which keeps well over a
// megabyte resident between readings that a widget has no use for. These pages are clean
// pages of the libraries' files: handed back, they are mapped again from the page cache when
// the code next runs.
class ResidentCode {
public:
    // The code segments of the named libraries, as mapped now.
    explicit ResidentCode(const QStringList& libraries);
    // Hands their resident pages back; the libraries' data is never touched.
    void HandBack() const;

private:
    QList<std::pair<quintptr, quintptr>> Segments;
};
