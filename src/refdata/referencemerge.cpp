#include "refdata/referencemerge.h"

#include <QDataStream>
#include <QIODevice>

namespace {
template <typename T> QByteArray bytesOf(const T& value) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_4_6);
    out << value;
    return bytes;
}

template <typename T> T valueOf(const QByteArray& bytes) {
    T value;
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_4_6);
    in >> value;
    return value;
}

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

CRefList toRefList(const QList<Specialist>& lst) {
    CRefList lstRefs;
    for (const Specialist& s : lst) {
        SRefGroup group{s.sName, {}};
        for (const Certificate& c : s.lstCertificates)
            group.lstEntries.append({c.sNumber, bytesOf(c)});
        lstRefs.append(group);
    }
    return lstRefs;
}

CRefList toRefList(const QList<Tool>& lst) {
    CRefList lstRefs;
    for (const Tool& t : lst) {
        SRefGroup group{t.sName, {}};
        for (const Device& d : t.lstDevices)
            group.lstEntries.append({d.sNumber, bytesOf(d)});
        lstRefs.append(group);
    }
    return lstRefs;
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
    lst.clear();
    for (const SRefGroup& group : lstRefs) {
        Specialist s{group.sName, {}};
        for (const SRefEntry& e : group.lstEntries)
            s.lstCertificates.append(valueOf<Certificate>(e.data));
        lst.append(s);
    }
}

void fromRefList(const CRefList& lstRefs, QList<Tool>& lst) {
    lst.clear();
    for (const SRefGroup& group : lstRefs) {
        Tool t{group.sName, {}};
        for (const SRefEntry& e : group.lstEntries)
            t.lstDevices.append(valueOf<Device>(e.data));
        lst.append(t);
    }
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
