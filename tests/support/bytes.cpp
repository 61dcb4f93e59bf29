#include "support/bytes.h"

#include <QFile>
#include <QProcess>
#include <QtTest>

void writeFile(const QString& sPath, const QByteArray& bytes) {
    QFile file(sPath);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray fileBytes(const QString& sPath) {
    QFile file(sPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// clang-format off
CBytes& CBytes::u8(quint8 iValue) { data.append(char(iValue)); return *this; }
CBytes& CBytes::i16(qint16 iValue) { return u8(quint8(quint16(iValue) >> 8)).u8(quint8(iValue)); }
CBytes& CBytes::u32(quint32 iValue) { return i16(qint16(iValue >> 16)).i16(qint16(iValue)); }
CBytes& CBytes::i32(qint32 iValue) { return u32(quint32(iValue)); }
CBytes& CBytes::nullStr() { return u32(0xffffffffu); }
CBytes& CBytes::date(const QDate& dt) { return u32(quint32(dt.toJulianDay())); }
CBytes& CBytes::raw(const QByteArray& bytes) { data.append(bytes); return *this; }
// clang-format on

QString pdfInfo(const QString& sPath, const QString& sField) {
    QProcess process;
    process.start(QStringLiteral("pdfinfo"), {sPath});
    process.waitForFinished();
    for (const QString& sLine : QString::fromUtf8(process.readAllStandardOutput()).split('\n')) {
        if (sLine.startsWith(sField + QLatin1Char(':')))
            return sLine.mid(sField.size() + 1).trimmed();
    }
    return QString();
}

CBytes& CBytes::str(const QString& sValue) {
    if (sValue.isNull())
        return nullStr();
    u32(quint32(sValue.size() * 2));
    for (const QChar ch : sValue)
        i16(qint16(ch.unicode()));
    return *this;
}

CBytes& CBytes::strList(const QStringList& lst) {
    u32(quint32(lst.size()));
    for (const QString& s : lst)
        str(s);
    return *this;
}
