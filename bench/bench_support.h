#pragma once
// A demo school with a catalogue of a million documents, made once and kept
// in the temporary folder for later runs.

#include "demo_data.h"

#include <QDir>
#include <QFile>
#include <cstdio>

namespace karvel::bench {

inline QString millionDocumentSchool() {
    const QString folder = QDir::tempPath() + QStringLiteral("/karvel-bench-1M");
    if (!QFile::exists(folder + QStringLiteral("/LAVOK/VOK.MDB"))) {
        QDir(folder).removeRecursively();
        std::fprintf(stderr, "Création du catalogue d'un million de documents dans %s...\n",
                     qPrintable(folder));
        DemoOptions options;
        options.documents = kDemoMaxDocuments;
        options.referenceDate = QDate(2026, 12, 1);
        createDemoData(folder, options);
    }
    return folder + QStringLiteral("/LAVOK");
}

// Peak and current resident memory of this process, in megabytes.
inline double residentMegabytes(const char* key) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(int(qstrlen(key))).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return -1;
}

} // namespace karvel::bench
