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

ProtocolDocument followingProtocol(const ProtocolDocument& current, const QDate& dtDate) {
    ProtocolDocument next = current;
    for (SectionRecord& record : next.lstRecords)
        std::visit(CFollowing{dtDate}, record);
    return next;
}
