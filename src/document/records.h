#pragma once

#include "base/streamutil.h"

#include <QDataStream>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <type_traits>

// Records of the reference lists: specialists with their certificates,
// instruments with their devices, customers with their grounds, and the flat
// entries one panel shows. All are plain values.
//
// Every record has data-stream operators in the Qt 4.6 layout of the
// reference files; the same operators serialise the copies of these lists
// that a protocol document carries. Lists of records are written as a qint32
// count followed by the elements (writeRecordList, readRecordList). A list is read element by
// element and never by its count alone: reading stops at the end of the data, or at the first
// damaged or cut field. A record whose own fields are not whole is left out; one whose nested list
// was cut keeps what was read of it. So a cut file yields everything before the cut, and a list
// that starts at the end of the data is empty.

// Qualification levels are stored by their index: 0, 1, 2 for "I", "II",
// "III". Another value is damage, in a reference file as in a document.
constexpr int iLevelCount = 3;
inline bool isLevel(int iLevel) {
    return iLevel >= 0 && iLevel < iLevelCount;
}

// One control method a certificate covers.
struct CertificateMethod {
    QString sMethod;  // dative form of the method name ("ультразвуковому")
    QDate dtValidity; // valid until; 2000-01-01 means "not given"
    int iLevel = 1;   // qualification level index: 0, 1, 2 = "I", "II", "III"

    bool operator==(const CertificateMethod&) const = default;
};

struct SpecialistEntry;
struct ToolEntry;

// A specialist's certificate ("удостоверение").
struct Certificate {
    QString sNumber;
    QString sIssuedBy;
    QList<CertificateMethod> lstMethods;

    // Number and issuing body of the entry, with the entry's method as the only one.
    static Certificate fromEntry(const SpecialistEntry& entry);

    bool operator==(const Certificate&) const = default;
};

struct Specialist {
    QString sName;
    QList<Certificate> lstCertificates;

    // The entry's name with the certificate made from the entry.
    static Specialist fromEntry(const SpecialistEntry& entry);

    bool operator==(const Specialist&) const = default;
};

// One individual device of an instrument, with its certificate.
struct Device {
    QString sNumber;           // serial number
    QString sCertNumber;       // verification or calibration certificate number
    QDate dtValidity;          // valid until; 2000-01-01 means "not given"
    bool bVerification = true; // true: verification ("поверке"); false: calibration

    // The entry's serial number, certificate number, date and kind.
    static Device fromEntry(const ToolEntry& entry);

    bool operator==(const Device&) const = default;
};

// A measuring instrument and its devices.
struct Tool {
    QString sName;
    QList<Device> lstDevices;

    // The entry's name with one device made from the entry, or no device
    // when the entry has no serial number.
    static Tool fromEntry(const ToolEntry& entry);

    bool operator==(const Tool&) const = default;
};

// A customer and the grounds for control offered when it is chosen.
struct Organization {
    QString sName;
    QStringList lstGrounds;

    bool operator==(const Organization&) const = default;
};

// What one specialist panel shows.
struct SpecialistEntry {
    QString sName;
    QString sLicenseNum;
    QString sMethod;
    QDate dtValidity;
    int iLevel = 1;
    QString sIssuedBy;

    bool operator==(const SpecialistEntry&) const = default;
};

// What one instrument panel shows.
struct ToolEntry {
    QString sToolName;
    QString sNumber;
    QString sCertNumber;
    QDate dtValidity;
    bool bVerification = true;

    bool operator==(const ToolEntry&) const = default;
};

// Whether an instrument entry is worth keeping in the reference list: named,
// with a serial number, a certificate and a date after 2012.
bool isCompleteEntry(const ToolEntry& entry);
// The instruments with the complete entries of the panels taken in, the
// first panel's prevailing: a new instrument or serial number is added, a
// known device takes the entry's certificate.
QList<Tool> withCompleteEntries(QList<Tool> lstTools, const QList<ToolEntry>& lstEntries);

// Index of the instrument named sName, of its device with serial number
// sNumber; -1 when there is none. Names and numbers compare exactly.
int toolIndex(const QList<Tool>& lst, const QString& sName);
int deviceIndex(const Tool& tool, const QString& sNumber);

// Reads one record. Returns whether it can be kept: its own fields were read
// whole. A record whose nested list was cut keeps the elements read whole.
template <typename T> bool readRecord(QDataStream& in, T& record) {
    if constexpr (std::is_same_v<T, QString>)
        in >> bounded(record);
    else
        in >> record;
    return in.status() == QDataStream::Ok;
}
bool readRecord(QDataStream& in, Certificate& certificate);
bool readRecord(QDataStream& in, Specialist& specialist);
bool readRecord(QDataStream& in, Tool& tool);
bool readRecord(QDataStream& in, Organization& organization);

// Reads a list as described above into lst (cleared first); also serves a
// QStringList. Returns true when the stream is still sound afterwards.
template <typename T> bool readRecordList(QDataStream& in, QList<T>& lst) {
    lst.clear();
    qint32 iCount = 0;
    in >> iCount;
    if (iCount < 0) // no list is written so
        in.setStatus(QDataStream::ReadCorruptData);
    qint32 i = 0;
    for (; i < iCount && in.status() == QDataStream::Ok && !in.atEnd(); ++i) {
        T record;
        if (readRecord(in, record))
            lst.append(record);
    }
    // the data ended before the count did: a cut list
    if (i < iCount && in.status() == QDataStream::Ok)
        in.setStatus(QDataStream::ReadPastEnd);
    return in.status() == QDataStream::Ok;
}

// Writes a qint32 count followed by the elements.
template <typename T> void writeRecordList(QDataStream& out, const QList<T>& lst) {
    out << qint32(lst.size());
    for (const T& item : lst)
        out << item;
}

QDataStream& operator<<(QDataStream& out, const CertificateMethod& method);
QDataStream& operator>>(QDataStream& in, CertificateMethod& method);
QDataStream& operator<<(QDataStream& out, const Certificate& certificate);
QDataStream& operator>>(QDataStream& in, Certificate& certificate);
QDataStream& operator<<(QDataStream& out, const Specialist& specialist);
QDataStream& operator>>(QDataStream& in, Specialist& specialist);
QDataStream& operator<<(QDataStream& out, const Device& device);
QDataStream& operator>>(QDataStream& in, Device& device);
QDataStream& operator<<(QDataStream& out, const Tool& tool);
QDataStream& operator>>(QDataStream& in, Tool& tool);
QDataStream& operator<<(QDataStream& out, const Organization& organization);
QDataStream& operator>>(QDataStream& in, Organization& organization);
QDataStream& operator<<(QDataStream& out, const SpecialistEntry& entry);
QDataStream& operator>>(QDataStream& in, SpecialistEntry& entry);
QDataStream& operator<<(QDataStream& out, const ToolEntry& entry);
QDataStream& operator>>(QDataStream& in, ToolEntry& entry);
