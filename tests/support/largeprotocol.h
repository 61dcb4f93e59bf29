#pragma once

#include "document/records.h"
#include "storage/listchange.h"

#include <QList>
#include <QTemporaryDir>

class CFusionWidget;
class CReferenceLists;

// The sizes of a protocol filled as a laboratory fills one after a large
// inspection; the benchmark and the print tests share them.
struct SProtocolSize {
    int iMethods;
    int iRows;
    int iColumns;
    int iSpecialistsPerConclusion;
    int iUserItems;
    int iInstruments;
    int iKnownSpecialists;
};

// 9 methods whose results tables hold 200 rows x 5 columns, 3 specialists
// each, 50 user items, 26 instruments, 100 specialists known.
inline constexpr SProtocolSize g_largeProtocol{9, 200, 5, 3, 50, 26, 100};

// Specialists "Специалист i" with three certificates each.
QList<Specialist> knownSpecialists(int n);
// Writes the list files iFiles (EListFile flags) of sDir as the lists hold
// them, as another program of the laboratory would have.
void writeListFiles(const QString& sDir, const SReferenceLists& lists, int iFiles = iAllListFiles);
// The specialists alone.
void writeSpecialists(const QString& sDir, const QList<Specialist>& lst);

// A laboratory's lists in a folder of their own, as one workstation holds them.
struct SLabLists {
    explicit SLabLists(const SReferenceLists& seed = {});
    ~SLabLists();
    QTemporaryDir dir;
    CReferenceLists* pLists;
};
// Fills a form: methods, tables of "Шов r-c" under "Колонка c", the known
// specialists chosen, instruments "Прибор i", user items "Пункт i:".
void fillProtocol(CFusionWidget& form, const SProtocolSize& size);
