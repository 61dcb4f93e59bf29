#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// A zip archive made in memory, as OpenDocument files are: entries in the
// order added, each stored as it is or deflated. Names are ASCII paths.
class CZipWriter {
public:
    enum class EMethod { Stored, Deflated };

    void add(const QString& sName, const QByteArray& data, EMethod eMethod = EMethod::Deflated);
    // The whole archive: the entries, their directory, its end record.
    QByteArray finish() const;

private:
    struct SEntry {
        QByteArray name;
        quint32 iCrc = 0;
        quint32 iSize = 0;
        quint16 iMethod = 0;
        qint64 iOffset = 0;
        QByteArray packed;
    };
    QList<SEntry> lstEntries;
    qint64 iOffset = 0;
};
