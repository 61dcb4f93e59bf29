#include "storage/referencemerge.h"

#include "base/streamutil.h"

namespace {

template <typename T, typename F>
int indexOfName(const QList<T>& lst, const QString& sName, F name) {
    for (int i = 0; i < lst.size(); ++i) {
        if (name(lst[i]) == sName)
            return i;
    }
    return -1;
}

int groupIndex(const CRefList& lst, const QString& sName) {
    return indexOfName(lst, sName, [](const SRefGroup& g) { return g.sName; });
}

int entryIndex(const QList<SRefEntry>& lst, const QString& sKey) {
    return indexOfName(lst, sKey, [](const SRefEntry& e) { return e.sKey; });
}

// The group sName of the result, made at the end when the file lacks it.
SRefGroup& groupOf(CRefList& lstResult, const QString& sName) {
    const int i = groupIndex(lstResult, sName);
    if (i >= 0)
        return lstResult[i];
    lstResult.append({sName, {}});
    return lstResult.last();
}

void putEntry(SRefGroup& group, const SRefEntry& entry) {
    const int i = entryIndex(group.lstEntries, entry.sKey);
    if (i >= 0)
        group.lstEntries[i] = entry;
    else
        group.lstEntries.append(entry);
}

// The changes of one group that is both in base and mine, entry by entry.
void mergeEntries(CRefList& lstResult, const SRefGroup& base, const SRefGroup& mine) {
    QStringList lstKeys;
    for (const SRefEntry& e : base.lstEntries)
        lstKeys << e.sKey;
    for (const SRefEntry& e : mine.lstEntries)
        if (!lstKeys.contains(e.sKey))
            lstKeys << e.sKey;
    for (const QString& sKey : std::as_const(lstKeys)) {
        const int iBase = entryIndex(base.lstEntries, sKey);
        const int iMine = entryIndex(mine.lstEntries, sKey);
        if (iMine >= 0 && (iBase < 0 || base.lstEntries[iBase] != mine.lstEntries[iMine])) {
            putEntry(groupOf(lstResult, mine.sName), mine.lstEntries[iMine]);
        } else if (iMine < 0) {
            const int iGroup = groupIndex(lstResult, mine.sName);
            if (iGroup >= 0) {
                const int iEntry = entryIndex(lstResult[iGroup].lstEntries, sKey);
                if (iEntry >= 0)
                    lstResult[iGroup].lstEntries.removeAt(iEntry);
            }
        }
    }
}
} // namespace

CRefList mergeReferences(const CRefList& lstFile, const CRefList& lstBase,
                         const CRefList& lstMine) {
    CRefList lstResult = lstFile;
    for (const SRefGroup& base : lstBase) {
        if (groupIndex(lstMine, base.sName) < 0) {
            const int i = groupIndex(lstResult, base.sName); // deleted here
            if (i >= 0)
                lstResult.removeAt(i);
        }
    }
    for (const SRefGroup& mine : lstMine) {
        const int iBase = groupIndex(lstBase, mine.sName);
        if (iBase < 0) {
            SRefGroup& group = groupOf(lstResult, mine.sName); // added here
            for (const SRefEntry& entry : mine.lstEntries)
                putEntry(group, entry);
        } else if (lstBase[iBase] != mine) {
            mergeEntries(lstResult, lstBase[iBase], mine);
        }
    }
    return lstResult;
}

namespace {
// Specialists and instruments: groups of records keyed by their number,
// each kept as its bytes.
template <typename TGroup, typename TEntry>
CRefList keyedGroups(const QList<TGroup>& lst, QList<TEntry> TGroup::*pEntries) {
    CRefList lstRefs;
    for (const TGroup& g : lst) {
        SRefGroup group{g.sName, {}};
        for (const TEntry& e : g.*pEntries)
            group.lstEntries.append({e.sNumber, bytesOf(e)});
        lstRefs.append(group);
    }
    return lstRefs;
}

template <typename TGroup, typename TEntry>
void fromKeyedGroups(const CRefList& lstRefs, QList<TGroup>& lst, QList<TEntry> TGroup::*pEntries) {
    lst.clear();
    for (const SRefGroup& group : lstRefs) {
        TGroup g{group.sName, {}};
        for (const SRefEntry& e : group.lstEntries)
            (g.*pEntries).append(valueOf<TEntry>(e.data));
        lst.append(g);
    }
}
} // namespace

CRefList toRefList(const QList<Specialist>& lst) {
    return keyedGroups(lst, &Specialist::lstCertificates);
}

CRefList toRefList(const QList<Tool>& lst) {
    return keyedGroups(lst, &Tool::lstDevices);
}

CRefList toRefList(const QList<Organization>& lst) {
    CRefList lstRefs;
    for (const Organization& o : lst) {
        SRefGroup group{o.sName, {}};
        for (const QString& sGround : o.lstGrounds)
            group.lstEntries.append({sGround, {}});
        lstRefs.append(group);
    }
    return lstRefs;
}

CRefList toRefList(const QStringList& lst) {
    CRefList lstRefs;
    for (const QString& s : lst)
        lstRefs.append({s, {}});
    return lstRefs;
}

void fromRefList(const CRefList& lstRefs, QList<Specialist>& lst) {
    fromKeyedGroups(lstRefs, lst, &Specialist::lstCertificates);
}

void fromRefList(const CRefList& lstRefs, QList<Tool>& lst) {
    fromKeyedGroups(lstRefs, lst, &Tool::lstDevices);
}

void fromRefList(const CRefList& lstRefs, QList<Organization>& lst) {
    lst.clear();
    for (const SRefGroup& group : lstRefs) {
        Organization o{group.sName, {}};
        for (const SRefEntry& e : group.lstEntries)
            o.lstGrounds.append(e.sKey);
        lst.append(o);
    }
}

void fromRefList(const CRefList& lstRefs, QStringList& lst) {
    lst.clear();
    for (const SRefGroup& group : lstRefs)
        lst.append(group.sName);
}
