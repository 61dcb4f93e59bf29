#pragma once

#include "document/records.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// The reference lists of a laboratory: specialists with their certificates,
// instruments with their devices, customers with their grounds, standards
// and assessments.
struct SReferenceLists {
    QList<Specialist> lstTechnicians;
    QList<Tool> lstTools;
    QList<Organization> lstOrganizations;
    QStringList lstStandards;
    QStringList lstAssessments;

    bool operator==(const SReferenceLists&) const = default;
};

// The files the lists live in, as flags: a change touches one or more.
enum EListFile { eTechniciansFile = 1, eToolsFile = 2, eOptionalFile = 4 };
constexpr int iAllListFiles = eTechniciansFile | eToolsFile | eOptionalFile;
inline constexpr EListFile g_aListFiles[] = {eTechniciansFile, eToolsFile, eOptionalFile};

// The lists of one file as its bytes hold them; false when the file is
// damaged (what was read whole is kept). Only the file's own lists change.
bool readListFile(EListFile eFile, const QByteArray& bytes, SReferenceLists& lists);
// The bytes of one file, in its layout.
QByteArray listFileBytes(EListFile eFile, const SReferenceLists& lists);
// The lists of eFile taken from source into target.
void copyFileLists(EListFile eFile, const SReferenceLists& source, SReferenceLists& target);

// The last action on one entry of a list file, kept beside the file, so
// that a deletion is not undone by a workstation or a protocol that still
// knows the entry, and so that where two workstations acted on one entry the
// later action holds.
struct SEntryAction {
    enum EKind : qint16 {
        eSpecialist,
        eCertificate, // of the specialist sGroup
        eTool,
        eOrganization,
        eGround, // of the customer sGroup
        eStandard,
        eAssessment,
    };
    static constexpr qint16 iKindCount = eAssessment + 1;

    qint16 iKind = eSpecialist;
    QString sGroup;   // the specialist, instrument, customer, standard or assessment
    QString sKey;     // the certificate or ground within it; empty for the whole
    QDateTime dtWhen; // UTC
    bool bDeleted = false;

    bool operator==(const SEntryAction&) const = default;
};
using CEntryActions = QList<SEntryAction>;
// The most actions a file remembers: the oldest go first.
constexpr int iMaxEntryActions = 4096;

QDataStream& operator<<(QDataStream& out, const SEntryAction& action);
bool readRecord(QDataStream& in, SEntryAction& action);
// The actions file's bytes; reading gives false for a damaged file, whose
// actions read whole are kept.
QByteArray entryActionsBytes(const CEntryActions& lstActions);
bool readEntryActions(const QByteArray& bytes, CEntryActions& lstActions);

// One change of the reference lists, as the user made it: applied to the
// lists as the folder holds them when it is written, never to a copy.
struct SListChange {
    enum EKind : qint16 {
        eSaveSpecialist,    // entry; known: the specialist whole as this workstation knew him
        eDeleteSpecialist,  // sGroup
        eDeleteCertificate, // sGroup, sKey
        eAddTool,           // tool
        eDeleteTool,        // sGroup
        eAddOrganization,   // sGroup
        eDeleteOrganization,
        eAddGround, // sGroup (the customer), sKey
        eDeleteGround,
        eAddStandard, // sGroup
        eDeleteStandard,
        eAddAssessment,
        eDeleteAssessment,
        eLearn, // learned, lstEntries, dtProtocol
    };
    static constexpr qint16 iKindCount = eLearn + 1;

    qint16 iKind = eLearn;
    QDateTime dtWhen; // UTC
    QString sGroup;
    QString sKey;
    SpecialistEntry entry;
    Specialist known;
    Tool tool;
    // eLearn: what a protocol names joins the lists where they lack it, and
    // its complete instrument entries update the devices they name; an
    // entry deleted on or after the protocol's date stays deleted.
    SReferenceLists learned;
    QList<ToolEntry> lstEntries;
    QDate dtProtocol;

    // The files the change touches (EListFile flags).
    int files() const;
    // Whether it changes nothing at all.
    bool isEmpty() const;

    bool operator==(const SListChange&) const = default;
};

QDataStream& operator<<(QDataStream& out, const SListChange& change);
bool readRecord(QDataStream& in, SListChange& change);

// How a change went.
enum class EApplied {
    Changed,    // the lists or the actions changed
    Unchanged,  // it was there already
    Superseded, // a later action on the same entry holds
};

// Applies the part of change that concerns eFile to the lists of that file
// and to the actions remembered beside it. A change written as it is made
// comes after everything the file holds; one that waited (bWaited) gives way
// to a later action of another workstation on the same entry.
EApplied applyChange(SReferenceLists& lists, CEntryActions& lstActions, const SListChange& change,
                     EListFile eFile, bool bWaited = false);
