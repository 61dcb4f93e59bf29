#pragma once

#include "base/streamutil.h" // bytesOf: what operator<< writes
#include "document/sectionrecords.h"

#include <QByteArray>
#include <QDataStream>
#include <QDate>
#include <QIODevice>
#include <QList>
#include <QString>
#include <QStringList>

#include <type_traits>

// Builds the bytes of a data stream by hand, field by field, as the file
// layouts describe them: big-endian integers, a string as a 32-bit byte
// length (0xFFFFFFFF for a null string) and UTF-16BE code units, a list as
// a 32-bit count and its elements, a date as its 32-bit Julian day.
class CBytes {
public:
    CBytes& i16(qint16 iValue);
    CBytes& i32(qint32 iValue);
    CBytes& u32(quint32 iValue);
    CBytes& u8(quint8 iValue);
    CBytes& str(const QString& sValue);
    CBytes& nullStr();
    CBytes& strList(const QStringList& lst);
    CBytes& date(const QDate& dt);
    CBytes& raw(const QByteArray& bytes);

    QByteArray data;
};

// Writes bytes to a file, replacing it (a test's hand-made document).
void writeFile(const QString& sPath, const QByteArray& bytes);
// A file's bytes; empty when it cannot be read.
QByteArray fileBytes(const QString& sPath);

// A field of what pdfinfo (poppler-utils) tells of a PDF file: "Pages", "Title".
QString pdfInfo(const QString& sPath, const QString& sField);

// Reads a record of the widget's kind from bytes and shows it, as a form
// shows a document's record; true when the record was whole (one that is
// not is not shown).
template <typename TWidget> bool showRecord(TWidget& widget, const QByteArray& bytes) {
    std::remove_cv_t<decltype(widget.record())> record;
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_4_6);
    if (!readRecord(in, record))
        return false;
    widget.setRecord(record);
    return true;
}

// Reads bytes into a value with operator>>; true when the stream stayed sound.
template <typename T> bool readFrom(T& value, const QByteArray& bytes) {
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_4_6);
    in >> value;
    return in.status() == QDataStream::Ok;
}
