#pragma once

#include "document/records.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

class QDataStream;

// The records of a protocol document, one plain value per section record,
// in the Qt 4.6 layout of the ".rpt" file. Each has operator<< writing its
// fields and readRecord reading them: false, with the stream no longer Ok,
// when the record is cut short or holds what no form could have written
// (a count past the limits, a role or a level that does not exist).

// The most rows and columns a results table has.
constexpr int iMaxTableRows = 10000;
constexpr int iMaxTableColumns = 100;
// The most specialist panels of a conclusion, and instrument panels.
constexpr int iMaxSpecialistPanels = 100;
constexpr int iMaxToolPanels = 100;
// The most conclusions a document holds (one per method row).
constexpr int iMaxConclusions = 100;
// The most items of the user's own a protocol holds.
constexpr int iMaxUserItems = 1000;

// The roles a specialist has in the protocol, stored by these values.
enum ERankState {
    eControler = 1,          // performed the control
    eAuthor = 2,             // issued the conclusion
    eControlerAndAuthor = 3, // both
    eBoss = 4,               // head of the laboratory
};
// Whether a stored role value names one of the four roles.
inline bool isRankState(int iValue) {
    return iValue >= eControler && iValue <= eBoss;
}

// Tag 0: the laboratory header.
struct HeaderRecord {
    QString sName;
    QString sAddress;
    QString sPhone;
    QString sLicence;
    QString sIssuedBy;
    bool operator==(const HeaderRecord&) const = default;
};

// Tag 1: the protocol date.
struct DateRecord {
    QDate dtDate;
    bool operator==(const DateRecord&) const = default;
};

// Tag 2: a numbered name and value (also each item of the user's own).
struct StdItemRecord {
    qint32 iNum = 0;
    QString sName;
    QString sValue;
    bool operator==(const StdItemRecord&) const = default;
};

// Tag 3: a value chosen from a list (customer, grounds).
struct ComboItemRecord {
    qint32 iNum = 0;
    QString sName;
    QString sValue;
    QStringList lstChoices;
    bool operator==(const ComboItemRecord&) const = default;
};

// Tag 4: the control methods, one text a row.
struct MethodsRecord {
    qint32 iNum = 0;
    QString sName;
    QStringList lstTexts;
    bool operator==(const MethodsRecord&) const = default;
};

// Tag 5: a list of texts chosen from a list that grows (standards,
// assessments).
struct EditableSetRecord {
    qint32 iNum = 0;
    QString sName;
    QStringList lstTexts;
    QStringList lstChoices;
    bool operator==(const EditableSetRecord&) const = default;
};

// Tag 6: a list of dates.
struct DateSetRecord {
    qint32 iNum = 0;
    QString sName;
    QList<QDate> lstDates;
    bool operator==(const DateSetRecord&) const = default;
};

// Tag 7: the instruments: the list known, then one entry a panel.
struct ToolsRecord {
    qint32 iNum = 0;
    QString sName;
    QList<Tool> lstTools;
    QList<ToolEntry> lstEntries;
    bool operator==(const ToolsRecord&) const = default;
};

// A results table: its size, column titles and cells, row by row.
struct TableRecord {
    qint32 iRows = 0;
    qint32 iColumns = 0;
    QStringList lstTitles;
    QStringList lstCells;
    bool operator==(const TableRecord&) const = default;
};

// The results block of a conclusion: number, method (genitive), the other
// methods offered to form the table from, and the table.
struct ResultsRecord {
    qint32 iNum = 0;
    QString sMethod;
    QStringList lstOffered;
    TableRecord table;
    bool operator==(const ResultsRecord&) const = default;
};

// The written conclusion of a conclusion: switched on, number, method, text.
struct ReportRecord {
    bool bOn = true;
    qint32 iNum = 0;
    QString sMethod;
    QString sDescription;
    bool operator==(const ReportRecord&) const = default;
};

// One specialist panel.
struct PanelRecord {
    qint32 iNum = 0;
    qint16 iRole = eControlerAndAuthor;
    bool bRoleLock = false;
    SpecialistEntry entry;
    bool operator==(const PanelRecord&) const = default;
};

// One conclusion: the specialists known, results, written conclusion and
// one or more panels.
struct ConclusionRecord {
    QList<Specialist> lstSpecialists;
    ResultsRecord results;
    ReportRecord report;
    QList<PanelRecord> lstPanels;
    bool operator==(const ConclusionRecord&) const = default;
};

// Tag 8: every conclusion. iCount is the count the document gives; a record
// damaged part of the way holds fewer conclusions than it.
struct ConclusionsRecord {
    qint32 iCount = 0;
    QList<ConclusionRecord> lstConclusions;
    bool operator==(const ConclusionsRecord&) const = default;
};

// Tag 9: the items of the user's own, in the order they were added.
struct UserItemsRecord {
    QList<StdItemRecord> lstItems;
    bool operator==(const UserItemsRecord&) const = default;
};

QDataStream& operator<<(QDataStream& out, const HeaderRecord& record);
QDataStream& operator<<(QDataStream& out, const DateRecord& record);
QDataStream& operator<<(QDataStream& out, const StdItemRecord& record);
QDataStream& operator<<(QDataStream& out, const ComboItemRecord& record);
QDataStream& operator<<(QDataStream& out, const MethodsRecord& record);
QDataStream& operator<<(QDataStream& out, const EditableSetRecord& record);
QDataStream& operator<<(QDataStream& out, const DateSetRecord& record);
QDataStream& operator<<(QDataStream& out, const ToolsRecord& record);
QDataStream& operator<<(QDataStream& out, const TableRecord& record);
QDataStream& operator<<(QDataStream& out, const ResultsRecord& record);
QDataStream& operator<<(QDataStream& out, const ReportRecord& record);
QDataStream& operator<<(QDataStream& out, const PanelRecord& record);
QDataStream& operator<<(QDataStream& out, const ConclusionRecord& record);
QDataStream& operator<<(QDataStream& out, const ConclusionsRecord& record);
QDataStream& operator<<(QDataStream& out, const UserItemsRecord& record);

bool readRecord(QDataStream& in, HeaderRecord& record);
bool readRecord(QDataStream& in, DateRecord& record);
bool readRecord(QDataStream& in, StdItemRecord& record);
bool readRecord(QDataStream& in, ComboItemRecord& record);
bool readRecord(QDataStream& in, MethodsRecord& record);
bool readRecord(QDataStream& in, EditableSetRecord& record);
bool readRecord(QDataStream& in, DateSetRecord& record);
bool readRecord(QDataStream& in, ToolsRecord& record);
bool readRecord(QDataStream& in, TableRecord& record);
bool readRecord(QDataStream& in, ResultsRecord& record);
bool readRecord(QDataStream& in, ReportRecord& record);
bool readRecord(QDataStream& in, PanelRecord& record);
bool readRecord(QDataStream& in, ConclusionRecord& record);
// A count the data cannot hold, or more conclusions than a form has, reads
// none; a conclusion damaged on the way keeps the ones before it.
bool readRecord(QDataStream& in, ConclusionsRecord& record);
// The items before a damaged one are kept, and at most iMaxUserItems.
bool readRecord(QDataStream& in, UserItemsRecord& record);

// Whether a table is sound: counts within the limits, a title for every
// column, a text for every cell, and no rows without columns.
bool isSoundTable(const TableRecord& table);
