#include "render/zipwriter.h"

#include <QtEndian>

#include <array>

namespace {
// The zip records' signatures and the version they need: 2.0, deflate.
constexpr quint32 g_iLocalHeader = 0x04034b50;
constexpr quint32 g_iCentralHeader = 0x02014b50;
constexpr quint32 g_iEndRecord = 0x06054b50;
constexpr quint16 g_iVersion = 20;
constexpr quint16 g_iStored = 0;
constexpr quint16 g_iDeflated = 8;
// 1 January 2026, 00:00 in MS-DOS form: every archive made of the same
// document is the same bytes
constexpr quint16 g_iDosTime = 0;
constexpr quint16 g_iDosDate = ((2026 - 1980) << 9) | (1 << 5) | 1;

quint32 crc32(const QByteArray& data) {
    static const std::array<quint32, 256> table = [] {
        std::array<quint32, 256> t{};
        for (quint32 i = 0; i < 256; ++i) {
            quint32 c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xedb88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    quint32 c = 0xffffffffu;
    for (const char ch : data)
        c = table[(c ^ quint8(ch)) & 0xff] ^ (c >> 8);
    return c ^ 0xffffffffu;
}

// The raw deflate stream zip wants: qCompress gives it with its own four
// bytes of length, zlib's two-byte header and four-byte checksum around it.
QByteArray deflated(const QByteArray& data) {
    const QByteArray zlib = qCompress(data, 9);
    return zlib.mid(4 + 2, zlib.size() - 4 - 2 - 4);
}

void put16(QByteArray& out, quint16 i) {
    const quint16 le = qToLittleEndian(i);
    out.append(reinterpret_cast<const char*>(&le), sizeof le);
}

void put32(QByteArray& out, quint32 i) {
    const quint32 le = qToLittleEndian(i);
    out.append(reinterpret_cast<const char*>(&le), sizeof le);
}
} // namespace

void CZipWriter::add(const QString& sName, const QByteArray& data, EMethod eMethod) {
    SEntry entry;
    entry.name = sName.toLatin1();
    entry.iCrc = crc32(data);
    entry.iSize = quint32(data.size());
    entry.iMethod = eMethod == EMethod::Deflated ? g_iDeflated : g_iStored;
    entry.packed = eMethod == EMethod::Deflated ? deflated(data) : data;
    entry.iOffset = iOffset;
    iOffset += 30 + entry.name.size() + entry.packed.size();
    lstEntries.append(entry);
}

QByteArray CZipWriter::finish() const {
    QByteArray out;
    auto header = [&out](const SEntry& e) {
        put16(out, 0); // flags
        put16(out, e.iMethod);
        put16(out, g_iDosTime);
        put16(out, g_iDosDate);
        put32(out, e.iCrc);
        put32(out, quint32(e.packed.size()));
        put32(out, e.iSize);
        put16(out, quint16(e.name.size()));
        put16(out, 0); // no extra field
    };
    for (const SEntry& e : lstEntries) {
        put32(out, g_iLocalHeader);
        put16(out, g_iVersion);
        header(e);
        out += e.name + e.packed;
    }
    const qint64 iDirectory = out.size();
    for (const SEntry& e : lstEntries) {
        put32(out, g_iCentralHeader);
        put16(out, g_iVersion); // made by
        put16(out, g_iVersion); // needed
        header(e);
        put16(out, 0); // no comment
        put16(out, 0); // disk
        put16(out, 0); // internal attributes
        put32(out, 0); // external attributes
        put32(out, quint32(e.iOffset));
        out += e.name;
    }
    put32(out, g_iEndRecord);
    put16(out, 0);
    put16(out, 0);
    put16(out, quint16(lstEntries.size()));
    put16(out, quint16(lstEntries.size()));
    put32(out, quint32(out.size() - iDirectory - 4 - 2 - 2 - 2 - 2));
    put32(out, quint32(iDirectory));
    put16(out, 0); // no comment
    return out;
}
