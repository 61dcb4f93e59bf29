#pragma once

#include "document/records.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// A reference list as named groups of keyed entries, whatever it lists:
// specialists with their certificates (by number), instruments with their
// devices (by serial number), customers with their grounds, standards and
// assessments (names alone). An entry's data are its record's bytes.
struct SRefEntry {
    QString sKey;
    QByteArray data;
    bool operator==(const SRefEntry& other) const {
        return sKey == other.sKey && data == other.data;
    }
    bool operator!=(const SRefEntry& other) const { return !(*this == other); }
};
struct SRefGroup {
    QString sName;
    QList<SRefEntry> lstEntries;
    bool operator==(const SRefGroup& other) const {
        return sName == other.sName && lstEntries == other.lstEntries;
    }
    bool operator!=(const SRefGroup& other) const { return !(*this == other); }
};
using CRefList = QList<SRefGroup>;

// What a program changed of a list since it last read or wrote the file
// (base to mine), applied to what the file holds now: groups and entries
// added or changed take the program's data, those it deleted go, everything
// else stays as the file has it. Where two programs changed one entry, the
// later save wins for that entry only.
CRefList mergeReferences(const CRefList& lstFile, const CRefList& lstBase, const CRefList& lstMine);

CRefList toRefList(const QList<Specialist>& lst);
CRefList toRefList(const QList<Tool>& lst);
CRefList toRefList(const QList<Organization>& lst);
CRefList toRefList(const QStringList& lst);
void fromRefList(const CRefList& lstRefs, QList<Specialist>& lst);
void fromRefList(const CRefList& lstRefs, QList<Tool>& lst);
void fromRefList(const CRefList& lstRefs, QList<Organization>& lst);
void fromRefList(const CRefList& lstRefs, QStringList& lst);

// lstFolder with the groups and entries of lstMine it lacks added: the lists
// of a folder taken in, with what this program knew joining them.
template <typename T> T joinReferences(const T& lstFolder, const T& lstMine) {
    T lst;
    fromRefList(mergeReferences(toRefList(lstFolder), {}, toRefList(lstMine)), lst);
    return lst;
}
