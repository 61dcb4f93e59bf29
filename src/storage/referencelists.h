#pragma once

#include "storage/referencestore.h"

#include <QObject>
#include <QTimer>

#include <memory>

struct ProtocolDocument;

// The reference lists of the laboratory, and their only holder: every
// panel, box and section shows what it holds and keeps no list of its own.
// Every change is one operation: it takes the file's lock, applies the
// change to what the folder holds at that moment, writes it, and announces
// the lists as they then are with listsChanged. A change that cannot be
// written yet (the folder out of reach or read-only, the file locked) waits
// in a queue in the user's own folder, shown in the lists meanwhile, and is
// written as soon as it can be. Entries are named by who they are: a
// specialist by name, a certificate by number, an instrument by name.
class CReferenceLists : public QObject {
    Q_OBJECT
public:
    // The queue is tried again this often while changes wait.
    static inline int iRetryMs = 2000;
    // Changes of the folder reach the lists this long after the files.
    static constexpr int iRefreshDelayMs = 100;

    CReferenceLists(const QString& sDir, const QString& sFallbackDir, QObject* pParent = nullptr);
    ~CReferenceLists() override;

    // The user's own folder: the changes waiting to be written, and the last
    // good copies of the lists, which stand in for a folder out of reach.
    void setOwnDir(const QString& sDir);
    QString dir() const { return pStore->dir(); }
    CReferenceStore& files() { return *pStore; }
    // Another folder's lists in place of these; the changes waiting for
    // this folder keep waiting in its queue.
    void setFolder(const QString& sDir);

    const SReferenceLists& lists() const { return current; }
    const QList<Specialist>& technicians() const { return current.lstTechnicians; }
    const QList<Tool>& tools() const { return current.lstTools; }
    const QList<Organization>& organizations() const { return current.lstOrganizations; }
    const QStringList& standards() const { return current.lstStandards; }
    const QStringList& assessments() const { return current.lstAssessments; }
    QStringList organizationNames() const;
    // The entry named so; nullptr without one.
    const Specialist* specialist(const QString& sName) const;
    const Tool* tool(const QString& sName) const;
    const Organization* organization(const QString& sName) const;
    // Whether the certificate of the entry already holds its method, whose
    // data "Сохранить данные" would write over.
    bool holdsMethod(const SpecialistEntry& entry) const;

    // The operations. A panel's "Сохранить данные": the certificate and
    // method shown are stored, the specialist added when he is new. known is
    // the specialist as the panel knew him when the user acted: one deleted
    // meanwhile by a colleague comes back whole, never in part.
    void saveSpecialist(const SpecialistEntry& entry, const Specialist& known);
    void saveSpecialist(const SpecialistEntry& entry);
    void deleteSpecialist(const QString& sName);
    void deleteCertificate(const QString& sName, const QString& sNumber);
    // A new instrument name entered; a known one gains the devices it lacks.
    void addTool(const Tool& tool);
    void deleteTool(const QString& sName);
    void addOrganization(const QString& sName);
    void deleteOrganization(const QString& sName);
    void addGround(const QString& sOrganization, const QString& sGround);
    void deleteGround(const QString& sOrganization, const QString& sGround);
    void addStandard(const QString& sName);
    void deleteStandard(const QString& sName);
    void addAssessment(const QString& sName);
    void deleteAssessment(const QString& sName);
    // What a protocol names joins the lists: a saved one's instruments,
    // customer, grounds, standards and assessments; an opened one's also
    // the lists it carries. What was deleted since the protocol's date stays
    // deleted.
    void learn(const ProtocolDocument& document, bool bOpened);
    // Another list of this program's joins the lists: entries missing added.
    void join(const SReferenceLists& lists);

    // Takes in what other programs wrote, and writes what waits.
    void refresh();
    // Changes not written yet.
    int waitingChanges() const { return lstWaiting.size(); }
    // What the user should know of the lists now, a line each: a damaged
    // file, a folder out of reach, changes waiting.
    QStringList problems() const;

signals:
    // The lists changed (EListFile flags of the files whose lists did).
    void listsChanged(int iFiles);
    // Something the user is to be told at once: a change that gave way to a
    // later one of another workstation, a file found damaged.
    void problemFound(const QString& sText);
    // The line for the status bar: what waits, and why; empty when nothing.
    void statusChanged(const QString& sText);

private:
    struct SWaiting {
        SListChange change;
        int iFiles; // the files it is still to be written to
    };
    void openStore(const QString& sDir);
    void perform(SListChange change);
    // Writes a change to the files iFiles; those not written stay in *pLeft.
    void write(const SListChange& change, int iFiles, bool bWaited, int* pLeft);
    void flushWaiting();
    // current: the lists as the folder holds them, with what waits.
    void rebuild(int iFiles);
    void report(CReferenceStore::EWrite eWrite, EListFile eFile);
    QString queuePath() const;
    void saveQueue();
    void loadQueue();
    void updateStatus();
    static bool mayWait(CReferenceStore::EWrite eWrite);

    QString sFallbackDir;
    std::unique_ptr<CReferenceStore> pStore;
    // As last read from or written to the folder.
    SReferenceLists folder;
    // What is offered: the folder's lists with the changes waiting.
    SReferenceLists current;
    QList<SWaiting> lstWaiting;
    QString sOwnDir;
    QString sStatus;
    QTimer retryTimer;
    QTimer refreshTimer;
};
