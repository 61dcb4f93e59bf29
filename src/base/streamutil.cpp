#include "base/streamutil.h"

bool streamCanHold(const QDataStream& in, quint64 iCount, quint64 iMinBytes) {
    const QIODevice* pDevice = in.device();
    if (!pDevice || pDevice->isSequential())
        return true;
    const qint64 iLeft = pDevice->size() - pDevice->pos();
    return iLeft >= 0 && iCount * iMinBytes <= quint64(iLeft);
}
