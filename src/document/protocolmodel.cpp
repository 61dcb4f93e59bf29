#include "document/protocolmodel.h"

CProtocolModel::CProtocolModel(QObject* pParent) : QObject(pParent) {}

bool CProtocolModel::isChanged() const {
    return bUnsaved || !current.isSameProtocolAs(saved);
}

void CProtocolModel::reset(const ProtocolDocument& document, const QString& sNewFile) {
    current = document;
    saved = document;
    sFile = sNewFile;
    bUnsaved = false;
    emit documentReset();
    emit edited();
    announce();
}

void CProtocolModel::setDocument(const ProtocolDocument& document) {
    if (document == current)
        return;
    current = document;
    emit edited();
    announce();
}

void CProtocolModel::setRecord(qsizetype iIndex, const SectionRecord& record) {
    if (iIndex < 0 || iIndex >= current.lstRecords.size() || current.lstRecords[iIndex] == record)
        return;
    current.lstRecords[iIndex] = record;
    emit edited();
    announce();
}

void CProtocolModel::markSaved(const QString& sNewFile) {
    saved = current;
    sFile = sNewFile;
    bUnsaved = false;
    announce();
}

void CProtocolModel::markUnsaved(const QString& sNewFile) {
    sFile = sNewFile;
    bUnsaved = true;
    announce();
}

void CProtocolModel::announce() {
    const bool bChanged = isChanged();
    if (bChanged == bShownChanged)
        return;
    bShownChanged = bChanged;
    emit modificationChanged(bChanged);
}
