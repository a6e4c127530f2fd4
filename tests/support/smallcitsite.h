#pragma once

#include <QDir>
#include <QFile>
#include <QString>

namespace Demagora::Testing {

// A small CIT site of three specimens of twelve steps each, oriented.
inline const QString SmallCitSite
    = QStringLiteral(DEMAGORA_TEST_FIXTURES_DIR "/cit-small/SM1-.sam");

// Copies the small site into folder, for a test that changes its files or must see them kept;
// returns the copy's .sam file, or an empty name when a file could not be copied.
inline QString copySmallCitSite(const QString &folder)
{
    const QDir from(QStringLiteral(DEMAGORA_TEST_FIXTURES_DIR "/cit-small"));
    for (const char *name : { "SM1-.sam", "SM1-1a", "SM1-2a", "SM1-3a" })
        if (!QFile::copy(
                from.filePath(QLatin1String(name)), QDir(folder).filePath(QLatin1String(name))))
            return {};
    return QDir(folder).filePath(QStringLiteral("SM1-.sam"));
}

} // namespace Demagora::Testing
