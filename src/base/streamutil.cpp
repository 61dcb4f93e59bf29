#include "base/streamutil.h"

#include <QtEndian>

bool streamCanHold(const QDataStream& in, quint64 iCount, quint64 iMinBytes) {
    const QIODevice* pDevice = in.device();
    if (!pDevice || pDevice->isSequential())
        return true;
    const qint64 iLeft = pDevice->size() - pDevice->pos();
    return iLeft >= 0 && iCount * iMinBytes <= quint64(iLeft);
}

QDataStream& operator>>(QDataStream& in, SBoundedString target) {
    // the length as the stream's byte order gives it; 0xFFFFFFFF is a null string
    QIODevice* pDevice = in.device();
    char aLength[4];
    if (in.status() == QDataStream::Ok && pDevice && !pDevice->isSequential() &&
        pDevice->peek(aLength, 4) == 4) {
        const auto* p = reinterpret_cast<const uchar*>(aLength);
        const quint32 iBytes = in.byteOrder() == QDataStream::BigEndian
                                   ? qFromBigEndian<quint32>(p)
                                   : qFromLittleEndian<quint32>(p);
        if (iBytes != 0xFFFFFFFFu && !streamCanHold(in, 1, quint64(iBytes) + 4)) {
            target.s.clear();
            pDevice->seek(pDevice->size());
            in.setStatus(QDataStream::ReadPastEnd);
            return in;
        }
    }
    return in >> target.s;
}

QDataStream& operator>>(QDataStream& in, SStrictBool target) {
    quint8 iByte = 0;
    in >> iByte;
    target.b = iByte != 0;
    if (iByte > 1)
        in.setStatus(QDataStream::ReadCorruptData);
    return in;
}
