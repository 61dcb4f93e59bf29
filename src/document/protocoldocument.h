#pragma once

#include "document/sectionrecords.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

#include <type_traits>
#include <variant>

class QDataStream;

// The tag before each record of a ".rpt" file: the index of its kind in
// SectionRecord.
enum ESectionTag : qint16 {
    eTagHeader = 0,
    eTagDate = 1,
    eTagStdItem = 2,
    eTagComboItem = 3,
    eTagMethods = 4,
    eTagEditableSet = 5,
    eTagDateSet = 6,
    eTagTools = 7,
    eTagConclusions = 8,
    eTagUserItems = 9,
};

// One record of a document, of the kind its tag names.
using SectionRecord =
    std::variant<HeaderRecord, DateRecord, StdItemRecord, ComboItemRecord, MethodsRecord,
                 EditableSetRecord, DateSetRecord, ToolsRecord, ConclusionsRecord, UserItemsRecord>;
// The order of the kinds is the file's: a kind moved changes every document.
static_assert(
    std::is_same_v<std::variant_alternative_t<eTagHeader, SectionRecord>, HeaderRecord> &&
    std::is_same_v<std::variant_alternative_t<eTagDate, SectionRecord>, DateRecord> &&
    std::is_same_v<std::variant_alternative_t<eTagStdItem, SectionRecord>, StdItemRecord> &&
    std::is_same_v<std::variant_alternative_t<eTagComboItem, SectionRecord>, ComboItemRecord> &&
    std::is_same_v<std::variant_alternative_t<eTagMethods, SectionRecord>, MethodsRecord> &&
    std::is_same_v<std::variant_alternative_t<eTagEditableSet, SectionRecord>, EditableSetRecord> &&
    std::is_same_v<std::variant_alternative_t<eTagDateSet, SectionRecord>, DateSetRecord> &&
    std::is_same_v<std::variant_alternative_t<eTagTools, SectionRecord>, ToolsRecord> &&
    std::is_same_v<std::variant_alternative_t<eTagConclusions, SectionRecord>, ConclusionsRecord> &&
    std::is_same_v<std::variant_alternative_t<eTagUserItems, SectionRecord>, UserItemsRecord>);

// A protocol as its file holds it: the section records, in order. A form
// writes them in one order (header, number, date, methods, the numbered
// sections, the conclusions, the items of the user's own); a document
// read may hold them in any.
struct ProtocolDocument {
    QList<SectionRecord> lstRecords;

    bool operator==(const ProtocolDocument&) const = default;

    // Whether the two are the same protocol, whatever reference lists their
    // records carry (choices, instruments, specialists known): another
    // program's new entries change no protocol.
    bool isSameProtocolAs(const ProtocolDocument& other) const;
    // The value of the first record of a kind with the caption; empty without.
    template <typename T> QString valueOf(const QString& sCaption) const {
        for (const SectionRecord& record : lstRecords) {
            const T* p = std::get_if<T>(&record);
            if (p && p->sName == sCaption)
                return p->sValue;
        }
        return QString();
    }
    // The first record of a kind, or nullptr.
    template <typename T> const T* first() const {
        for (const SectionRecord& record : lstRecords) {
            if (const T* p = std::get_if<T>(&record))
                return p;
        }
        return nullptr;
    }
};

// What reading a document found: the records read whole, and whether the
// data held nothing else (no damage, nothing cut off). A record damaged on
// the way that a form still takes in part (the conclusions, the items of
// the user's own) is in the document too, but not counted.
struct SProtocolRead {
    ProtocolDocument document;
    bool bSound = true;
    int iRecords = 0;
    // Where the last record read whole ends.
    qint64 iBytes = 0;
    // What was read but could not be taken, a line each for the user: a
    // control method none of the nine names, with its conclusion.
    QStringList lstLeftOut;
};

// Reads records until the data ends, damage is found, or iMaxRecords are
// read (all when negative).
SProtocolRead readProtocol(QDataStream& in, int iMaxRecords = -1);
SProtocolRead readProtocol(const QByteArray& data, int iMaxRecords = -1);
void writeProtocol(QDataStream& out, const ProtocolDocument& document);
QByteArray protocolBytes(const ProtocolDocument& document);

// What of read is not in shown, a line each for the user: the records a
// form could not show as they were read (an unknown caption, more dates or
// entries than it holds, a date it cannot show, a conclusion or an item of
// the user's own it took in part), the reference lists they carry aside.
QStringList leftOut(const ProtocolDocument& read, const ProtocolDocument& shown);

// The captions by which the form and its documents know the standard
// sections.
namespace Caption {
inline const QString sNumber = QStringLiteral("Номер протокола");
inline const QString sMethods = QStringLiteral("Методы контроля");
inline const QString sControlDates = QStringLiteral("Дата проведения контроля:");
inline const QString sCustomer = QStringLiteral("Заказчик:");
inline const QString sAddress = QStringLiteral("Адрес проведения контроля:");
inline const QString sReason = QStringLiteral("Основание для проведения контроля:");
inline const QString sObjectName = QStringLiteral("Наименование объекта:");
inline const QString sObject = QStringLiteral("Объект контроля:");
inline const QString sStage = QStringLiteral("Стадия контроля:");
inline const QString sStandards = QStringLiteral("Контроль выполнен согласно:");
inline const QString sAssessment = QStringLiteral("Оценка качества работ:");
inline const QString sTools = QStringLiteral("Приборы и оборудование:");
} // namespace Caption

// The column titles of a new results table, 5 rows high.
QStringList defaultTableTitles();
constexpr int iDefaultTableRows = 5;

// A new protocol dated dtDate under the laboratory header: one method
// (ultrasonic) and its conclusion, every field empty, no reference list.
ProtocolDocument blankProtocol(const HeaderRecord& header, const QDate& dtDate);

// The next protocol of the same work, dated dtDate: the header, methods,
// customer, grounds, address, object, stage, standards, assessment,
// instruments, specialists and the user's own items as in current; no
// number, no inspection date, every results table emptied (its titles and
// columns kept) and every written conclusion empty.
ProtocolDocument followingProtocol(const ProtocolDocument& current, const QDate& dtDate);
