#include "document/protocoldocument.h"

#include "base/constants.h"
#include "document/methodvocabulary.h"

#include <QDataStream>
#include <QIODevice>

namespace {
template <std::size_t I = 0> bool readKind(QDataStream& in, qint16 iTag, SectionRecord& record) {
    if constexpr (I < std::variant_size_v<SectionRecord>) {
        if (iTag != qint16(I))
            return readKind<I + 1>(in, iTag, record);
        std::variant_alternative_t<I, SectionRecord> value;
        const bool bWhole = readRecord(in, value);
        record = std::move(value);
        return bWhole;
    } else {
        return false;
    }
}

// Whether a record damaged on the way still brings what a form takes in.
bool takenInPart(const SectionRecord& record) {
    if (const auto* p = std::get_if<ConclusionsRecord>(&record))
        return p->iCount > 0;
    if (const auto* p = std::get_if<UserItemsRecord>(&record))
        return !p->lstItems.isEmpty();
    return false;
}

// The record with its reference lists left out.
SectionRecord withoutLists(SectionRecord record) {
    if (auto* p = std::get_if<ComboItemRecord>(&record))
        p->lstChoices.clear();
    else if (auto* p = std::get_if<EditableSetRecord>(&record))
        p->lstChoices.clear();
    else if (auto* p = std::get_if<ToolsRecord>(&record))
        p->lstTools.clear();
    else if (auto* p = std::get_if<ConclusionsRecord>(&record)) {
        for (ConclusionRecord& conclusion : p->lstConclusions)
            conclusion.lstSpecialists.clear();
    }
    return record;
}
} // namespace

bool ProtocolDocument::isSameProtocolAs(const ProtocolDocument& other) const {
    if (lstRecords.size() != other.lstRecords.size())
        return false;
    for (qsizetype i = 0; i < lstRecords.size(); ++i) {
        if (lstRecords[i] != other.lstRecords[i] &&
            withoutLists(lstRecords[i]) != withoutLists(other.lstRecords[i]))
            return false;
    }
    return true;
}

namespace {
// A method row none of the nine forms names is damage: it is left out with
// its conclusion, the rest of the file is read on. A form would show another
// method in its place and print the protocol as of that one.
void leaveOutUnknownMethods(SProtocolRead& read) {
    ProtocolDocument& doc = read.document;
    const QStringList lstKnown = methodsNominative();
    QList<int> lstUnknown;
    for (SectionRecord& record : doc.lstRecords) {
        auto* p = std::get_if<MethodsRecord>(&record);
        if (!p)
            continue;
        for (int i = int(p->lstTexts.size()) - 1; i >= 0; --i) {
            if (lstKnown.contains(p->lstTexts[i]))
                continue;
            read.lstLeftOut.prepend(
                QStringLiteral("метод контроля «%1» неизвестен и не показан вместе с его "
                               "заключением")
                    .arg(p->lstTexts[i]));
            lstUnknown.prepend(i);
            p->lstTexts.removeAt(i);
        }
        break;
    }
    if (lstUnknown.isEmpty())
        return;
    read.bSound = false;
    for (SectionRecord& record : doc.lstRecords) {
        auto* p = std::get_if<ConclusionsRecord>(&record);
        if (!p)
            continue;
        for (auto it = lstUnknown.crbegin(); it != lstUnknown.crend(); ++it) {
            if (*it < p->lstConclusions.size())
                p->lstConclusions.removeAt(*it);
            if (*it < p->iCount)
                --p->iCount;
        }
    }
}
} // namespace

SProtocolRead readProtocol(QDataStream& in, int iMaxRecords) {
    in.setVersion(QDataStream::Qt_4_6);
    SProtocolRead read;
    while (read.bSound && !in.atEnd() && read.iRecords != iMaxRecords) {
        qint16 iTag = -1;
        in >> iTag;
        if (in.status() != QDataStream::Ok)
            break;
        SectionRecord record;
        // an unknown record: its layout is not known, so nothing after it
        // can be read reliably
        const bool bWhole = readKind(in, iTag, record) && in.status() == QDataStream::Ok;
        if (bWhole || takenInPart(record))
            read.document.lstRecords.append(std::move(record));
        read.bSound = bWhole;
        if (bWhole) {
            ++read.iRecords;
            read.iBytes = in.device() ? in.device()->pos() : 0;
        }
    }
    if (in.status() != QDataStream::Ok)
        read.bSound = false;
    leaveOutUnknownMethods(read);
    return read;
}

SProtocolRead readProtocol(const QByteArray& data, int iMaxRecords) {
    QDataStream in(data);
    return readProtocol(in, iMaxRecords);
}

void writeProtocol(QDataStream& out, const ProtocolDocument& document) {
    out.setVersion(QDataStream::Qt_4_6);
    for (const SectionRecord& record : document.lstRecords) {
        out << qint16(record.index());
        std::visit([&out](const auto& value) { out << value; }, record);
    }
}

QByteArray protocolBytes(const ProtocolDocument& document) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    writeProtocol(out, document);
    return bytes;
}

QStringList defaultTableTitles() {
    return {QStringLiteral("Номер объекта"), QStringLiteral("Типоразмер"),
            QStringLiteral("Результат контроля"), QStringLiteral("Заключение"),
            QStringLiteral("Примечания")};
}

ProtocolDocument blankProtocol(const HeaderRecord& header, const QDate& dtDate) {
    const QString sEmpty = QStringLiteral("");
    const QString sGenitive = methodsGenitive().value(0);
    const QStringList lstTitles = defaultTableTitles();
    ConclusionRecord conclusion;
    conclusion.results = {11,
                          sGenitive,
                          {},
                          {iDefaultTableRows, qint32(lstTitles.size()), lstTitles,
                           QStringList(iDefaultTableRows * lstTitles.size(), sEmpty)}};
    conclusion.report = {true, 12, sGenitive, sEmpty};
    SpecialistEntry entry{sEmpty, sEmpty, methodsDative().value(0), g_dtDefault, 1, sEmpty};
    conclusion.lstPanels = {{13, eControlerAndAuthor, true, entry}};
    ToolEntry tool{sEmpty, sEmpty, sEmpty, g_dtDefault, true};
    ProtocolDocument document;
    document.lstRecords = {header,
                           StdItemRecord{0, Caption::sNumber, sEmpty},
                           DateRecord{dtDate},
                           MethodsRecord{0, Caption::sMethods, {methodsNominative().value(0)}},
                           DateSetRecord{1, Caption::sControlDates, {g_dtDefault}},
                           ComboItemRecord{2, Caption::sCustomer, sEmpty, {}},
                           StdItemRecord{3, Caption::sAddress, sEmpty},
                           ComboItemRecord{4, Caption::sReason, sEmpty, {}},
                           StdItemRecord{5, Caption::sObjectName, sEmpty},
                           StdItemRecord{6, Caption::sObject, sEmpty},
                           StdItemRecord{7, Caption::sStage, sEmpty},
                           EditableSetRecord{8, Caption::sStandards, {sEmpty}, {}},
                           EditableSetRecord{9, Caption::sAssessment, {sEmpty}, {}},
                           ToolsRecord{10, Caption::sTools, {}, {tool}},
                           ConclusionsRecord{1, {conclusion}},
                           UserItemsRecord{}};
    return document;
}

namespace {
// What a record of the protocol before becomes in the one after it; an
// emptied text is empty, not null, as a form writes it.
struct CFollowing {
    QDate dtDate;
    void operator()(DateRecord& r) const { r.dtDate = dtDate; }
    void operator()(StdItemRecord& r) const {
        if (r.sName == Caption::sNumber)
            r.sValue = QStringLiteral("");
    }
    void operator()(DateSetRecord& r) const {
        if (r.sName == Caption::sControlDates)
            r.lstDates = {g_dtDefault};
    }
    void operator()(ConclusionsRecord& r) const {
        for (ConclusionRecord& conclusion : r.lstConclusions) {
            TableRecord& table = conclusion.results.table;
            table.lstCells = QStringList(table.lstCells.size(), QStringLiteral(""));
            conclusion.report.sDescription = QStringLiteral("");
        }
    }
    template <typename T> void operator()(T&) const {}
};
} // namespace

namespace {
// How the user knows a record: its caption, or what it is.
QString recordName(const SectionRecord& record) {
    struct {
        QString operator()(const HeaderRecord&) const {
            return QStringLiteral("реквизиты лаборатории");
        }
        QString operator()(const DateRecord&) const { return QStringLiteral("дата протокола"); }
        QString operator()(const ToolsRecord& r) const { return r.sName; }
        QString operator()(const ConclusionsRecord&) const { return QStringLiteral("заключения"); }
        QString operator()(const UserItemsRecord&) const {
            return QStringLiteral("пункты, добавленные пользователем");
        }
        QString operator()(const MethodsRecord& r) const { return r.sName; }
        QString operator()(const StdItemRecord& r) const { return r.sName; }
        QString operator()(const ComboItemRecord& r) const { return r.sName; }
        QString operator()(const EditableSetRecord& r) const { return r.sName; }
        QString operator()(const DateSetRecord& r) const { return r.sName; }
    } name;
    return std::visit(name, record);
}

// The conclusions or items of the user's own of read that shown lacks.
void leftOutParts(const SectionRecord& read, const ProtocolDocument& shown, QStringList& lst) {
    if (const auto* p = std::get_if<ConclusionsRecord>(&read)) {
        const ConclusionsRecord* pShown = shown.first<ConclusionsRecord>();
        for (int i = 0; i < p->lstConclusions.size(); ++i) {
            ConclusionsRecord one{1, {p->lstConclusions[i]}};
            ConclusionsRecord other{1, {}};
            if (pShown && i < pShown->lstConclusions.size())
                other.lstConclusions = {pShown->lstConclusions[i]};
            if (withoutLists(one) != withoutLists(other))
                lst << QStringLiteral("заключение %1 (%2) показано не полностью")
                           .arg(i + 1)
                           .arg(p->lstConclusions[i].results.sMethod);
        }
        if (p->iCount != (pShown ? pShown->iCount : 0) && p->iCount > p->lstConclusions.size())
            lst << QStringLiteral("заключений в документе %1, прочитано %2")
                       .arg(p->iCount)
                       .arg(p->lstConclusions.size());
    } else if (const auto* p = std::get_if<UserItemsRecord>(&read)) {
        const UserItemsRecord* pShown = shown.first<UserItemsRecord>();
        for (const StdItemRecord& item : p->lstItems) {
            if (!pShown || !pShown->lstItems.contains(item))
                lst << QStringLiteral("пункт «%1 %2» не показан").arg(item.sName, item.sValue);
        }
    } else {
        lst << QStringLiteral("«%1» показано не так, как записано в документе")
                   .arg(recordName(read));
    }
}
} // namespace

QStringList leftOut(const ProtocolDocument& read, const ProtocolDocument& shown) {
    QList<SectionRecord> lstShown;
    for (const SectionRecord& record : shown.lstRecords)
        lstShown << withoutLists(record);
    QStringList lst;
    for (const SectionRecord& record : read.lstRecords) {
        // no method at all (every one unknown, and named so) shows as the
        // form's one row: nothing of it is lost
        const auto* pMethods = std::get_if<MethodsRecord>(&record);
        if (pMethods && pMethods->lstTexts.isEmpty())
            continue;
        if (!lstShown.contains(withoutLists(record)))
            leftOutParts(record, shown, lst);
    }
    lst.removeDuplicates();
    return lst;
}

ProtocolDocument followingProtocol(const ProtocolDocument& current, const QDate& dtDate) {
    ProtocolDocument next = current;
    for (SectionRecord& record : next.lstRecords)
        std::visit(CFollowing{dtDate}, record);
    return next;
}
