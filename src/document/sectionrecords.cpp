#include "document/sectionrecords.h"

#include "base/streamutil.h"

#include <QDataStream>

namespace {
// The smallest records that lists of them are checked against: a panel
// (number, role, lock, three empty strings, date, level, empty string), an
// instrument entry (three empty strings, a date, a bool), a conclusion (its
// list count, results block, written conclusion and one panel), a user
// item (number and two string lengths).
constexpr quint64 g_iMinPanelBytes = 4 + 2 + 1 + 4 + 4 + 4 + 4 + 2 + 4;
constexpr quint64 g_iMinToolEntryBytes = 4 + 4 + 4 + 4 + 1;
constexpr quint64 g_iMinConclusionBytes = 4 + 28 + 13 + 4 + 29;
constexpr quint64 g_iMinUserItemBytes = 12;

bool isOk(const QDataStream& in) {
    return in.status() == QDataStream::Ok;
}

// Marks the stream damaged and gives false.
bool damaged(QDataStream& in) {
    if (isOk(in))
        in.setStatus(QDataStream::ReadCorruptData);
    return false;
}
} // namespace

bool isSoundTable(const TableRecord& t) {
    if (t.iRows < 0 || t.iColumns < 0 || t.iRows > iMaxTableRows || t.iColumns > iMaxTableColumns)
        return false;
    if (t.lstTitles.size() != t.iColumns || t.lstCells.size() != qint64(t.iRows) * t.iColumns)
        return false;
    // rows without columns would have no cells to back their count
    return t.iColumns > 0 || t.iRows == 0;
}

QDataStream& operator<<(QDataStream& out, const HeaderRecord& r) {
    return out << r.sName << r.sAddress << r.sPhone << r.sLicence << r.sIssuedBy;
}

QDataStream& operator<<(QDataStream& out, const DateRecord& r) {
    return out << r.dtDate;
}

QDataStream& operator<<(QDataStream& out, const StdItemRecord& r) {
    return out << r.iNum << r.sName << r.sValue;
}

QDataStream& operator<<(QDataStream& out, const ComboItemRecord& r) {
    return out << r.iNum << r.sName << r.sValue << r.lstChoices;
}

QDataStream& operator<<(QDataStream& out, const MethodsRecord& r) {
    return out << r.iNum << r.sName << r.lstTexts;
}

QDataStream& operator<<(QDataStream& out, const EditableSetRecord& r) {
    return out << r.iNum << r.sName << r.lstTexts << r.lstChoices;
}

QDataStream& operator<<(QDataStream& out, const DateSetRecord& r) {
    return out << r.iNum << r.sName << r.lstDates;
}

QDataStream& operator<<(QDataStream& out, const ToolsRecord& r) {
    out << r.iNum << r.sName;
    writeRecordList(out, r.lstTools);
    out << qint32(r.lstEntries.size());
    for (const ToolEntry& entry : r.lstEntries)
        out << entry;
    return out;
}

QDataStream& operator<<(QDataStream& out, const TableRecord& r) {
    return out << r.iRows << r.iColumns << r.lstTitles << r.lstCells;
}

QDataStream& operator<<(QDataStream& out, const ResultsRecord& r) {
    return out << r.iNum << r.sMethod << r.lstOffered << r.table;
}

QDataStream& operator<<(QDataStream& out, const ReportRecord& r) {
    return out << r.bOn << r.iNum << r.sMethod << r.sDescription;
}

QDataStream& operator<<(QDataStream& out, const PanelRecord& r) {
    return out << r.iNum << r.iRole << r.bRoleLock << r.entry;
}

QDataStream& operator<<(QDataStream& out, const ConclusionRecord& r) {
    writeRecordList(out, r.lstSpecialists);
    out << r.results << r.report << qint32(r.lstPanels.size());
    for (const PanelRecord& panel : r.lstPanels)
        out << panel;
    return out;
}

QDataStream& operator<<(QDataStream& out, const ConclusionsRecord& r) {
    out << r.iCount;
    for (const ConclusionRecord& conclusion : r.lstConclusions)
        out << conclusion;
    return out;
}

QDataStream& operator<<(QDataStream& out, const UserItemsRecord& r) {
    out << qint32(r.lstItems.size());
    for (const StdItemRecord& item : r.lstItems)
        out << item;
    return out;
}

bool readRecord(QDataStream& in, HeaderRecord& r) {
    in >> bounded(r.sName) >> bounded(r.sAddress) >> bounded(r.sPhone) >> bounded(r.sLicence) >>
        bounded(r.sIssuedBy);
    return isOk(in);
}

bool readRecord(QDataStream& in, DateRecord& r) {
    in >> r.dtDate;
    return isOk(in);
}

bool readRecord(QDataStream& in, StdItemRecord& r) {
    in >> r.iNum >> bounded(r.sName) >> bounded(r.sValue);
    return isOk(in);
}

bool readRecord(QDataStream& in, ComboItemRecord& r) {
    in >> r.iNum >> bounded(r.sName) >> bounded(r.sValue);
    return isOk(in) && readStringList(in, r.lstChoices);
}

bool readRecord(QDataStream& in, MethodsRecord& r) {
    in >> r.iNum >> bounded(r.sName);
    return isOk(in) && readStringList(in, r.lstTexts);
}

bool readRecord(QDataStream& in, EditableSetRecord& r) {
    in >> r.iNum >> bounded(r.sName);
    return isOk(in) && readStringList(in, r.lstTexts) && readStringList(in, r.lstChoices);
}

bool readRecord(QDataStream& in, DateSetRecord& r) {
    in >> r.iNum >> bounded(r.sName);
    return isOk(in) && readList(in, r.lstDates, 4);
}

bool readRecord(QDataStream& in, ToolsRecord& r) {
    in >> r.iNum >> bounded(r.sName);
    if (!isOk(in) || !readRecordList(in, r.lstTools))
        return false;
    qint32 n = 0;
    in >> n;
    if (!isOk(in))
        return false;
    // an absurd count never makes panels
    if (n < 0 || n > iMaxToolPanels || !streamCanHold(in, quint64(n), g_iMinToolEntryBytes))
        return damaged(in);
    for (qint32 i = 0; i < n; ++i) {
        ToolEntry entry;
        in >> entry;
        if (!isOk(in))
            return false;
        r.lstEntries.append(entry);
    }
    return true;
}

bool readRecord(QDataStream& in, TableRecord& r) {
    in >> r.iRows >> r.iColumns;
    // a table larger than a form makes is damage, known before its texts
    // take any memory
    if (isOk(in) &&
        (r.iRows < 0 || r.iColumns < 0 || r.iRows > iMaxTableRows || r.iColumns > iMaxTableColumns))
        return damaged(in);
    // nor more texts than the table has places for
    if (!isOk(in) || !readStringList(in, r.lstTitles, quint64(r.iColumns)) ||
        !readStringList(in, r.lstCells, quint64(r.iRows) * quint64(r.iColumns)))
        return false;
    return isSoundTable(r) || damaged(in);
}

bool readRecord(QDataStream& in, ResultsRecord& r) {
    in >> r.iNum >> bounded(r.sMethod);
    return isOk(in) && readStringList(in, r.lstOffered) && readRecord(in, r.table);
}

bool readRecord(QDataStream& in, ReportRecord& r) {
    in >> strictBool(r.bOn) >> r.iNum >> bounded(r.sMethod) >> bounded(r.sDescription);
    return isOk(in);
}

bool readRecord(QDataStream& in, PanelRecord& r) {
    in >> r.iNum >> r.iRole >> strictBool(r.bRoleLock) >> r.entry;
    if (!isOk(in))
        return false;
    // a role or level a panel cannot show is damage
    return (isRankState(r.iRole) && isLevel(r.entry.iLevel)) || damaged(in);
}

bool readRecord(QDataStream& in, ConclusionRecord& r) {
    if (!readRecordList(in, r.lstSpecialists) || !readRecord(in, r.results) ||
        !readRecord(in, r.report))
        return false;
    qint32 n = 0;
    in >> n;
    if (!isOk(in))
        return false;
    if (n < 1 || n > iMaxSpecialistPanels || !streamCanHold(in, quint64(n), g_iMinPanelBytes))
        return damaged(in);
    for (qint32 i = 0; i < n; ++i) {
        PanelRecord panel;
        if (!readRecord(in, panel))
            return false;
        r.lstPanels.append(panel);
    }
    return true;
}

bool readRecord(QDataStream& in, ConclusionsRecord& r) {
    in >> r.iCount;
    if (!isOk(in))
        return false;
    if (r.iCount <= 0)
        return true;
    if (r.iCount > iMaxConclusions ||
        !streamCanHold(in, quint64(r.iCount), g_iMinConclusionBytes)) {
        r.iCount = 0; // nothing of it is taken
        return damaged(in);
    }
    for (qint32 i = 0; i < r.iCount; ++i) {
        ConclusionRecord conclusion;
        if (!readRecord(in, conclusion))
            return false;
        r.lstConclusions.append(conclusion);
    }
    return true;
}

bool readRecord(QDataStream& in, UserItemsRecord& r) {
    qint32 n = 0;
    in >> n;
    if (!isOk(in))
        return false;
    if (n < 0 || !streamCanHold(in, quint64(n), g_iMinUserItemBytes))
        return damaged(in);
    bool bTooMany = false;
    for (qint32 k = 0; k < n; ++k) {
        StdItemRecord item;
        if (!readRecord(in, item))
            return false;
        // items beyond the most a protocol holds are damage
        if (r.lstItems.size() >= iMaxUserItems)
            bTooMany = true;
        else
            r.lstItems.append(item);
    }
    return !bTooMany || damaged(in);
}
