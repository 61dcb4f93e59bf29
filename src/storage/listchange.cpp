#include "storage/listchange.h"

#include "base/streamutil.h"

#include <QDataStream>

#include <algorithm>

// Files.

namespace {
QDataStream& qt46(QDataStream& stream) {
    stream.setVersion(QDataStream::Qt_4_6);
    return stream;
}
} // namespace

bool readListFile(EListFile eFile, const QByteArray& bytes, SReferenceLists& lists) {
    QDataStream in(bytes);
    qt46(in);
    switch (eFile) {
    case eTechniciansFile:
        readRecordList(in, lists.lstTechnicians);
        break;
    case eToolsFile:
        readRecordList(in, lists.lstTools);
        break;
    case eOptionalFile:
        // each list is emptied even when an earlier one ended the data
        lists.lstStandards.clear();
        lists.lstAssessments.clear();
        if (readRecordList(in, lists.lstOrganizations) && readRecordList(in, lists.lstStandards))
            readRecordList(in, lists.lstAssessments);
        break;
    }
    return in.status() == QDataStream::Ok && in.atEnd();
}

QByteArray listFileBytes(EListFile eFile, const SReferenceLists& lists) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    qt46(out);
    switch (eFile) {
    case eTechniciansFile:
        writeRecordList(out, lists.lstTechnicians);
        break;
    case eToolsFile:
        writeRecordList(out, lists.lstTools);
        break;
    case eOptionalFile:
        writeRecordList(out, lists.lstOrganizations);
        writeRecordList(out, lists.lstStandards);
        writeRecordList(out, lists.lstAssessments);
        break;
    }
    return bytes;
}

void copyFileLists(EListFile eFile, const SReferenceLists& source, SReferenceLists& target) {
    switch (eFile) {
    case eTechniciansFile:
        target.lstTechnicians = source.lstTechnicians;
        break;
    case eToolsFile:
        target.lstTools = source.lstTools;
        break;
    case eOptionalFile:
        target.lstOrganizations = source.lstOrganizations;
        target.lstStandards = source.lstStandards;
        target.lstAssessments = source.lstAssessments;
        break;
    }
}

// Actions: the time as milliseconds since 1970 (UTC).

QDataStream& operator<<(QDataStream& out, const SEntryAction& action) {
    return out << action.iKind << action.sGroup << action.sKey
               << qint64(action.dtWhen.toMSecsSinceEpoch()) << action.bDeleted;
}

bool readRecord(QDataStream& in, SEntryAction& action) {
    qint64 iWhen = 0;
    in >> action.iKind >> bounded(action.sGroup) >> bounded(action.sKey) >> iWhen >>
        strictBool(action.bDeleted);
    if (in.status() == QDataStream::Ok &&
        (action.iKind < 0 || action.iKind >= SEntryAction::iKindCount))
        in.setStatus(QDataStream::ReadCorruptData);
    action.dtWhen = QDateTime::fromMSecsSinceEpoch(iWhen, Qt::UTC);
    return in.status() == QDataStream::Ok;
}

QByteArray entryActionsBytes(const CEntryActions& lstActions) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    writeRecordList(qt46(out), lstActions);
    return bytes;
}

bool readEntryActions(const QByteArray& bytes, CEntryActions& lstActions) {
    QDataStream in(bytes);
    readRecordList(qt46(in), lstActions);
    return in.status() == QDataStream::Ok && in.atEnd();
}

// Changes on the queue of a workstation that could not write them yet.

QDataStream& operator<<(QDataStream& out, const SListChange& change) {
    out << change.iKind << qint64(change.dtWhen.toMSecsSinceEpoch()) << change.sGroup << change.sKey
        << change.entry << change.known << change.tool;
    writeRecordList(out, change.learned.lstTechnicians);
    writeRecordList(out, change.learned.lstTools);
    writeRecordList(out, change.learned.lstOrganizations);
    writeRecordList(out, change.learned.lstStandards);
    writeRecordList(out, change.learned.lstAssessments);
    writeRecordList(out, change.lstEntries);
    return out << change.dtProtocol;
}

bool readRecord(QDataStream& in, SListChange& change) {
    qint64 iWhen = 0;
    in >> change.iKind >> iWhen >> bounded(change.sGroup) >> bounded(change.sKey) >> change.entry;
    if (in.status() != QDataStream::Ok || !readRecord(in, change.known) ||
        !readRecord(in, change.tool))
        return false;
    SReferenceLists& learned = change.learned;
    if (readRecordList(in, learned.lstTechnicians) && readRecordList(in, learned.lstTools) &&
        readRecordList(in, learned.lstOrganizations) && readRecordList(in, learned.lstStandards) &&
        readRecordList(in, learned.lstAssessments) && readRecordList(in, change.lstEntries))
        in >> change.dtProtocol;
    if (in.status() == QDataStream::Ok &&
        (change.iKind < 0 || change.iKind >= SListChange::iKindCount))
        in.setStatus(QDataStream::ReadCorruptData);
    change.dtWhen = QDateTime::fromMSecsSinceEpoch(iWhen, Qt::UTC);
    return in.status() == QDataStream::Ok;
}

int SListChange::files() const {
    switch (iKind) {
    case eSaveSpecialist:
    case eDeleteSpecialist:
    case eDeleteCertificate:
        return eTechniciansFile;
    case eAddTool:
    case eDeleteTool:
        return eToolsFile;
    case eLearn: {
        int iFiles = 0;
        if (!learned.lstTechnicians.isEmpty())
            iFiles |= eTechniciansFile;
        if (!learned.lstTools.isEmpty() || !lstEntries.isEmpty())
            iFiles |= eToolsFile;
        if (!learned.lstOrganizations.isEmpty() || !learned.lstStandards.isEmpty() ||
            !learned.lstAssessments.isEmpty())
            iFiles |= eOptionalFile;
        return iFiles;
    }
    default:
        return eOptionalFile;
    }
}

bool SListChange::isEmpty() const {
    return files() == 0;
}

// Applying a change.

namespace {

template <typename T> int indexByName(const QList<T>& lst, const QString& sName) {
    for (int i = 0; i < lst.size(); ++i) {
        if (lst[i].sName == sName)
            return i;
    }
    return -1;
}

int certificateIndex(const Specialist& specialist, const QString& sNumber) {
    for (int i = 0; i < specialist.lstCertificates.size(); ++i) {
        if (specialist.lstCertificates[i].sNumber == sNumber)
            return i;
    }
    return -1;
}

// The actions of one file, and what a change may do given them.
class CActions {
public:
    CActions(CEntryActions& lst, bool bWaited) : lst(lst), bWaited(bWaited) {}

    const SEntryAction* find(qint16 iKind, const QString& sGroup, const QString& sKey) const {
        for (const SEntryAction& action : lst) {
            if (action.iKind == iKind && action.sGroup == sGroup && action.sKey == sKey)
                return &action;
        }
        return nullptr;
    }
    // An addition or edit made at dt gives way to a deletion after it.
    bool deletedAfter(qint16 iKind, const QString& sGroup, const QString& sKey,
                      const QDateTime& dt) const {
        const SEntryAction* p = bWaited ? find(iKind, sGroup, sKey) : nullptr;
        return p && p->bDeleted && p->dtWhen > dt;
    }
    // A deletion made at dt gives way to an edit after it.
    bool editedAfter(qint16 iKind, const QString& sGroup, const QString& sKey,
                     const QDateTime& dt) const {
        const SEntryAction* p = bWaited ? find(iKind, sGroup, sKey) : nullptr;
        return p && !p->bDeleted && p->dtWhen > dt;
    }
    // What a protocol of dtProtocol names is not brought back when it was
    // deleted on or after that day: the protocol is older than the deletion.
    bool deletedSince(qint16 iKind, const QString& sGroup, const QString& sKey,
                      const QDate& dtProtocol) const {
        const SEntryAction* p = find(iKind, sGroup, sKey);
        return p && p->bDeleted &&
               (!dtProtocol.isValid() || p->dtWhen.toLocalTime().date() >= dtProtocol);
    }
    // Remembers an action unless a later one on the entry is remembered; a
    // change made now comes after every one remembered, whatever the other
    // workstations' clocks say.
    void note(qint16 iKind, const QString& sGroup, const QString& sKey, const QDateTime& dt,
              bool bDeleted) {
        for (SEntryAction& action : lst) {
            if (action.iKind == iKind && action.sGroup == sGroup && action.sKey == sKey) {
                if (!bWaited || action.dtWhen <= dt) {
                    action.dtWhen = bWaited ? dt : qMax(dt, action.dtWhen.addMSecs(1));
                    action.bDeleted = bDeleted;
                }
                return;
            }
        }
        lst.append({iKind, sGroup, sKey, dt, bDeleted});
        if (lst.size() > iMaxEntryActions) {
            std::stable_sort(
                lst.begin(), lst.end(),
                [](const SEntryAction& a, const SEntryAction& b) { return a.dtWhen > b.dtWhen; });
            lst.resize(iMaxEntryActions);
        }
    }

private:
    CEntryActions& lst;
    bool bWaited;
};

// "Сохранить данные" of a specialist panel: the certificate and method shown
// are stored. A specialist deleted before this, or not known here, comes
// back whole as the panel's workstation knew him, never in part.
EApplied saveSpecialist(SReferenceLists& lists, CActions& actions, const SListChange& change) {
    const SpecialistEntry& e = change.entry;
    const QDateTime& dt = change.dtWhen;
    if (actions.deletedAfter(SEntryAction::eSpecialist, e.sName, QString(), dt) ||
        actions.deletedAfter(SEntryAction::eCertificate, e.sName, e.sLicenseNum, dt))
        return EApplied::Superseded;
    int i = indexByName(lists.lstTechnicians, e.sName);
    if (i < 0) {
        Specialist whole{e.sName, {}};
        if (change.known.sName == e.sName) {
            for (const Certificate& c : change.known.lstCertificates) {
                if (!actions.deletedAfter(SEntryAction::eCertificate, e.sName, c.sNumber, dt))
                    whole.lstCertificates.append(c);
            }
        }
        lists.lstTechnicians.append(whole);
        i = lists.lstTechnicians.size() - 1;
    }
    Specialist& specialist = lists.lstTechnicians[i];
    int c = certificateIndex(specialist, e.sLicenseNum);
    if (c < 0) {
        const int iKnown = certificateIndex(change.known, e.sLicenseNum);
        specialist.lstCertificates.append(change.known.sName == e.sName && iKnown >= 0
                                              ? change.known.lstCertificates[iKnown]
                                              : Certificate{e.sLicenseNum, e.sIssuedBy, {}});
        c = specialist.lstCertificates.size() - 1;
    }
    Certificate& certificate = specialist.lstCertificates[c];
    certificate.sIssuedBy = e.sIssuedBy;
    const CertificateMethod method{e.sMethod, e.dtValidity, e.iLevel};
    auto it = std::find_if(certificate.lstMethods.begin(), certificate.lstMethods.end(),
                           [&](const CertificateMethod& m) { return m.sMethod == e.sMethod; });
    if (it == certificate.lstMethods.end())
        certificate.lstMethods.append(method);
    else
        *it = method;
    actions.note(SEntryAction::eSpecialist, e.sName, QString(), dt, false);
    actions.note(SEntryAction::eCertificate, e.sName, e.sLicenseNum, dt, false);
    return EApplied::Changed;
}

EApplied deleteSpecialist(SReferenceLists& lists, CActions& actions, const SListChange& change) {
    if (actions.editedAfter(SEntryAction::eSpecialist, change.sGroup, QString(), change.dtWhen))
        return EApplied::Superseded;
    const int i = indexByName(lists.lstTechnicians, change.sGroup);
    if (i >= 0)
        lists.lstTechnicians.removeAt(i);
    actions.note(SEntryAction::eSpecialist, change.sGroup, QString(), change.dtWhen, true);
    return EApplied::Changed;
}

EApplied deleteCertificate(SReferenceLists& lists, CActions& actions, const SListChange& change) {
    if (actions.editedAfter(SEntryAction::eCertificate, change.sGroup, change.sKey, change.dtWhen))
        return EApplied::Superseded;
    const int i = indexByName(lists.lstTechnicians, change.sGroup);
    const int c = i < 0 ? -1 : certificateIndex(lists.lstTechnicians[i], change.sKey);
    if (c >= 0)
        lists.lstTechnicians[i].lstCertificates.removeAt(c);
    actions.note(SEntryAction::eCertificate, change.sGroup, change.sKey, change.dtWhen, true);
    return EApplied::Changed;
}

// A new instrument name entered in a panel: a known one keeps its devices
// and gains those it lacks.
EApplied addTool(SReferenceLists& lists, CActions& actions, const SListChange& change) {
    const Tool& tool = change.tool;
    if (actions.deletedAfter(SEntryAction::eTool, tool.sName, QString(), change.dtWhen))
        return EApplied::Superseded;
    const int i = indexByName(lists.lstTools, tool.sName);
    if (i < 0) {
        lists.lstTools.append(tool);
    } else {
        for (const Device& device : tool.lstDevices) {
            if (deviceIndex(lists.lstTools[i], device.sNumber) < 0)
                lists.lstTools[i].lstDevices.append(device);
        }
    }
    actions.note(SEntryAction::eTool, tool.sName, QString(), change.dtWhen, false);
    return EApplied::Changed;
}

// A name among names: a customer, a standard, an assessment.
EApplied addName(QStringList& lst, qint16 iKind, CActions& actions, const SListChange& change) {
    if (actions.deletedAfter(iKind, change.sGroup, QString(), change.dtWhen))
        return EApplied::Superseded;
    if (!lst.contains(change.sGroup))
        lst.append(change.sGroup);
    actions.note(iKind, change.sGroup, QString(), change.dtWhen, false);
    return EApplied::Changed;
}

EApplied deleteName(QStringList& lst, qint16 iKind, CActions& actions, const SListChange& change) {
    if (actions.editedAfter(iKind, change.sGroup, QString(), change.dtWhen))
        return EApplied::Superseded;
    lst.removeAll(change.sGroup);
    actions.note(iKind, change.sGroup, QString(), change.dtWhen, true);
    return EApplied::Changed;
}

EApplied deleteTool(SReferenceLists& lists, CActions& actions, const SListChange& change) {
    if (actions.editedAfter(SEntryAction::eTool, change.sGroup, QString(), change.dtWhen))
        return EApplied::Superseded;
    const int i = indexByName(lists.lstTools, change.sGroup);
    if (i >= 0)
        lists.lstTools.removeAt(i);
    actions.note(SEntryAction::eTool, change.sGroup, QString(), change.dtWhen, true);
    return EApplied::Changed;
}

EApplied addOrganization(SReferenceLists& lists, CActions& actions, const SListChange& change) {
    if (actions.deletedAfter(SEntryAction::eOrganization, change.sGroup, QString(), change.dtWhen))
        return EApplied::Superseded;
    if (indexByName(lists.lstOrganizations, change.sGroup) < 0)
        lists.lstOrganizations.append(Organization{change.sGroup, {}});
    actions.note(SEntryAction::eOrganization, change.sGroup, QString(), change.dtWhen, false);
    return EApplied::Changed;
}

EApplied deleteOrganization(SReferenceLists& lists, CActions& actions, const SListChange& change) {
    if (actions.editedAfter(SEntryAction::eOrganization, change.sGroup, QString(), change.dtWhen))
        return EApplied::Superseded;
    const int i = indexByName(lists.lstOrganizations, change.sGroup);
    if (i >= 0)
        lists.lstOrganizations.removeAt(i);
    actions.note(SEntryAction::eOrganization, change.sGroup, QString(), change.dtWhen, true);
    return EApplied::Changed;
}

EApplied addGround(SReferenceLists& lists, CActions& actions, const SListChange& change) {
    const QDateTime& dt = change.dtWhen;
    if (actions.deletedAfter(SEntryAction::eOrganization, change.sGroup, QString(), dt) ||
        actions.deletedAfter(SEntryAction::eGround, change.sGroup, change.sKey, dt))
        return EApplied::Superseded;
    int i = indexByName(lists.lstOrganizations, change.sGroup);
    if (i < 0) {
        lists.lstOrganizations.append(Organization{change.sGroup, {}});
        i = lists.lstOrganizations.size() - 1;
    }
    QStringList& lstGrounds = lists.lstOrganizations[i].lstGrounds;
    if (!lstGrounds.contains(change.sKey))
        lstGrounds.append(change.sKey);
    actions.note(SEntryAction::eOrganization, change.sGroup, QString(), dt, false);
    actions.note(SEntryAction::eGround, change.sGroup, change.sKey, dt, false);
    return EApplied::Changed;
}

EApplied deleteGround(SReferenceLists& lists, CActions& actions, const SListChange& change) {
    if (actions.editedAfter(SEntryAction::eGround, change.sGroup, change.sKey, change.dtWhen))
        return EApplied::Superseded;
    const int i = indexByName(lists.lstOrganizations, change.sGroup);
    if (i >= 0)
        lists.lstOrganizations[i].lstGrounds.removeAll(change.sKey);
    actions.note(SEntryAction::eGround, change.sGroup, change.sKey, change.dtWhen, true);
    return EApplied::Changed;
}

// What a protocol names joins the lists where they lack it.

void learnSpecialists(SReferenceLists& lists, const CActions& actions, const SListChange& change) {
    for (const Specialist& read : change.learned.lstTechnicians) {
        if (read.sName.isEmpty() || actions.deletedSince(SEntryAction::eSpecialist, read.sName,
                                                         QString(), change.dtProtocol))
            continue;
        int i = indexByName(lists.lstTechnicians, read.sName);
        if (i < 0) {
            lists.lstTechnicians.append(Specialist{read.sName, {}});
            i = lists.lstTechnicians.size() - 1;
        }
        // a known specialist gains only the certificates he lacks
        for (const Certificate& certificate : read.lstCertificates) {
            if (certificateIndex(lists.lstTechnicians[i], certificate.sNumber) < 0 &&
                !actions.deletedSince(SEntryAction::eCertificate, read.sName, certificate.sNumber,
                                      change.dtProtocol))
                lists.lstTechnicians[i].lstCertificates.append(certificate);
        }
    }
}

void learnTools(SReferenceLists& lists, CActions& actions, const SListChange& change) {
    for (const Tool& read : change.learned.lstTools) {
        if (read.sName.isEmpty() ||
            actions.deletedSince(SEntryAction::eTool, read.sName, QString(), change.dtProtocol))
            continue;
        const int i = indexByName(lists.lstTools, read.sName);
        if (i < 0) {
            lists.lstTools.append(read);
            continue;
        }
        // known devices keep their data
        for (const Device& device : read.lstDevices) {
            if (!device.sNumber.isEmpty() && deviceIndex(lists.lstTools[i], device.sNumber) < 0)
                lists.lstTools[i].lstDevices.append(device);
        }
    }
    // the panels' complete entries: the instrument is the user's choice now
    QList<ToolEntry> lstEntries;
    for (const ToolEntry& entry : change.lstEntries) {
        if (!actions.deletedSince(SEntryAction::eTool, entry.sToolName, QString(),
                                  change.dtProtocol))
            lstEntries.append(entry);
    }
    const QList<Tool> lstBefore = lists.lstTools;
    lists.lstTools = withCompleteEntries(lists.lstTools, lstEntries);
    for (const Tool& tool : std::as_const(lists.lstTools)) {
        const int i = indexByName(lstBefore, tool.sName);
        if (i < 0 || lstBefore[i] != tool)
            actions.note(SEntryAction::eTool, tool.sName, QString(), change.dtWhen, false);
    }
}

void learnNames(QStringList& lst, const QStringList& lstRead, qint16 iKind, const CActions& actions,
                const QDate& dtProtocol) {
    for (const QString& sName : lstRead) {
        if (!sName.isEmpty() && !lst.contains(sName) &&
            !actions.deletedSince(iKind, sName, QString(), dtProtocol))
            lst.append(sName);
    }
}

void learnOptional(SReferenceLists& lists, const CActions& actions, const SListChange& change) {
    for (const Organization& read : change.learned.lstOrganizations) {
        if (read.sName.isEmpty() || actions.deletedSince(SEntryAction::eOrganization, read.sName,
                                                         QString(), change.dtProtocol))
            continue;
        int i = indexByName(lists.lstOrganizations, read.sName);
        if (i < 0) {
            lists.lstOrganizations.append(Organization{read.sName, {}});
            i = lists.lstOrganizations.size() - 1;
        }
        QStringList& lstGrounds = lists.lstOrganizations[i].lstGrounds;
        for (const QString& sGround : read.lstGrounds) {
            if (!sGround.isEmpty() && !lstGrounds.contains(sGround) &&
                !actions.deletedSince(SEntryAction::eGround, read.sName, sGround,
                                      change.dtProtocol))
                lstGrounds.append(sGround);
        }
    }
    learnNames(lists.lstStandards, change.learned.lstStandards, SEntryAction::eStandard, actions,
               change.dtProtocol);
    learnNames(lists.lstAssessments, change.learned.lstAssessments, SEntryAction::eAssessment,
               actions, change.dtProtocol);
}

EApplied learn(SReferenceLists& lists, CActions& actions, const SListChange& change,
               EListFile eFile) {
    if (eFile == eTechniciansFile)
        learnSpecialists(lists, actions, change);
    else if (eFile == eToolsFile)
        learnTools(lists, actions, change);
    else
        learnOptional(lists, actions, change);
    return EApplied::Changed;
}

EApplied applyTo(SReferenceLists& lists, CActions& actions, const SListChange& change,
                 EListFile eFile) {
    switch (change.iKind) {
    case SListChange::eSaveSpecialist:
        return saveSpecialist(lists, actions, change);
    case SListChange::eDeleteSpecialist:
        return deleteSpecialist(lists, actions, change);
    case SListChange::eDeleteCertificate:
        return deleteCertificate(lists, actions, change);
    case SListChange::eAddTool:
        return addTool(lists, actions, change);
    case SListChange::eDeleteTool:
        return deleteTool(lists, actions, change);
    case SListChange::eAddOrganization:
        return addOrganization(lists, actions, change);
    case SListChange::eDeleteOrganization:
        return deleteOrganization(lists, actions, change);
    case SListChange::eAddGround:
        return addGround(lists, actions, change);
    case SListChange::eDeleteGround:
        return deleteGround(lists, actions, change);
    case SListChange::eAddStandard:
        return addName(lists.lstStandards, SEntryAction::eStandard, actions, change);
    case SListChange::eDeleteStandard:
        return deleteName(lists.lstStandards, SEntryAction::eStandard, actions, change);
    case SListChange::eAddAssessment:
        return addName(lists.lstAssessments, SEntryAction::eAssessment, actions, change);
    case SListChange::eDeleteAssessment:
        return deleteName(lists.lstAssessments, SEntryAction::eAssessment, actions, change);
    default:
        return learn(lists, actions, change, eFile);
    }
}
} // namespace

EApplied applyChange(SReferenceLists& lists, CEntryActions& lstActions, const SListChange& change,
                     EListFile eFile, bool bWaited) {
    if (!(change.files() & eFile))
        return EApplied::Unchanged;
    const SReferenceLists before = lists;
    const CEntryActions lstBefore = lstActions;
    CActions actions(lstActions, bWaited);
    const EApplied eApplied = applyTo(lists, actions, change, eFile);
    if (eApplied == EApplied::Superseded)
        return eApplied;
    return lists == before && lstActions == lstBefore ? EApplied::Unchanged : EApplied::Changed;
}
