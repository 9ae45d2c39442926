#include "history/sparsecode.h"

#include <QFile>

#include <sys/mman.h>

ResidentCode::ResidentCode(const QStringList& libraries) {
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return;
    // "start-end perms offset dev inode path": only the code, which is never written.
    for (const QByteArray& line : maps.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 6 || fields.at(1) != "r-xp")
            continue;
        const QString path = QString::fromLocal8Bit(fields.at(5));
        if (std::none_of(libraries.begin(), libraries.end(),
                         [&](const QString& name) { return path.contains(name); }))
            continue;
        const QList<QByteArray> range = fields.at(0).split('-');
        Segments.append(
            {range.at(0).toULongLong(nullptr, 16), range.at(1).toULongLong(nullptr, 16)});
    }
}

void ResidentCode::HandBack() const {
    for (const auto& [start, end] : Segments)
        madvise(reinterpret_cast<void*>(start), end - start, MADV_DONTNEED);
}
