#pragma once

#include <QByteArray>
#include <QDataStream>
#include <QIODevice>
#include <QList>
#include <QStringList>

#include <cstdint>
#include <type_traits>

// Reading of lists from documents and reference files that may be damaged:
// the count is never trusted for an allocation, elements are read one by
// one, and reading stops as soon as the stream is no longer sound.

// True when the stream's device can still hold iCount records of at least
// iMinBytes bytes each (always true for a sequential device).
bool streamCanHold(const QDataStream& in, quint64 iCount, quint64 iMinBytes);

// A string read as `in >> bounded(s)`: one whose length is more than the
// stream still holds is damage, found before anything is taken for it (Qt's
// own reader takes up to 2 MB first). The stream is then past its end and s
// empty, as Qt leaves them.
struct SBoundedString {
    QString& s;
};
inline SBoundedString bounded(QString& s) {
    return {s};
}
QDataStream& operator>>(QDataStream& in, SBoundedString target);

// A flag read as `in >> strictBool(b)`: the files hold 0 or 1, and any other
// byte is damage (Qt would take it as true and write 1 back).
struct SStrictBool {
    bool& b;
};
inline SStrictBool strictBool(bool& b) {
    return {b};
}
QDataStream& operator>>(QDataStream& in, SStrictBool target);

// Reads a quint32 count and that many elements with operator>>. On a count
// over iMaxCount or more than the remaining bytes can hold, or on a damaged
// element, marks the stream ReadCorruptData / leaves it past its end and
// returns false; lst then holds the elements read whole.
template <typename T>
bool readList(QDataStream& in, QList<T>& lst, quint64 iMinElementBytes = 4,
              quint64 iMaxCount = UINT32_MAX) {
    lst.clear();
    quint32 n = 0;
    in >> n;
    if (in.status() != QDataStream::Ok)
        return false;
    if (n > iMaxCount || !streamCanHold(in, n, iMinElementBytes)) {
        in.setStatus(QDataStream::ReadCorruptData);
        return false;
    }
    for (quint32 i = 0; i < n; ++i) {
        T t;
        if constexpr (std::is_same_v<T, QString>)
            in >> bounded(t);
        else
            in >> t;
        if (in.status() != QDataStream::Ok)
            return false;
        lst.append(t);
    }
    return true;
}

inline bool readStringList(QDataStream& in, QStringList& lst, quint64 iMaxCount = UINT32_MAX) {
    return readList(in, lst, 4, iMaxCount);
}

// The bytes operator<< writes of a value in the layout of the documents and
// reference files (Qt 4.6).
template <typename T> QByteArray bytesOf(const T& value) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_4_6);
    out << value;
    return bytes;
}

// A value read back from bytesOf's bytes.
template <typename T> T valueOf(const QByteArray& bytes) {
    T value;
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_4_6);
    in >> value;
    return value;
}
