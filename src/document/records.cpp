#include "document/records.h"

#include "base/streamutil.h"

Certificate Certificate::fromEntry(const SpecialistEntry& entry) {
    Certificate certificate;
    certificate.sNumber = entry.sLicenseNum;
    certificate.sIssuedBy = entry.sIssuedBy;
    CertificateMethod method;
    method.sMethod = entry.sMethod;
    method.dtValidity = entry.dtValidity;
    method.iLevel = entry.iLevel;
    certificate.lstMethods.append(method);
    return certificate;
}

Specialist Specialist::fromEntry(const SpecialistEntry& entry) {
    Specialist specialist;
    specialist.sName = entry.sName;
    specialist.lstCertificates.append(Certificate::fromEntry(entry));
    return specialist;
}

Device Device::fromEntry(const ToolEntry& entry) {
    Device device;
    device.sNumber = entry.sNumber;
    device.sCertNumber = entry.sCertNumber;
    device.dtValidity = entry.dtValidity;
    device.bVerification = entry.bVerification;
    return device;
}

Tool Tool::fromEntry(const ToolEntry& entry) {
    Tool tool;
    tool.sName = entry.sToolName;
    if (!entry.sNumber.isEmpty())
        tool.lstDevices.append(Device::fromEntry(entry));
    return tool;
}

bool isCompleteEntry(const ToolEntry& entry) {
    return !entry.sToolName.isEmpty() && !entry.sNumber.isEmpty() && !entry.sCertNumber.isEmpty() &&
           entry.dtValidity.isValid() && entry.dtValidity.year() > 2012;
}

QList<Tool> withCompleteEntries(QList<Tool> lstTools, const QList<ToolEntry>& lstEntries) {
    // from the last panel to the first, so that the first panel prevails
    QList<ToolEntry> lstComplete;
    for (auto it = lstEntries.crbegin(); it != lstEntries.crend(); ++it) {
        if (isCompleteEntry(*it) && !lstComplete.contains(*it))
            lstComplete.append(*it);
    }
    for (const ToolEntry& entry : std::as_const(lstComplete)) {
        const int iTool = toolIndex(lstTools, entry.sToolName);
        if (iTool < 0) {
            lstTools.append(Tool::fromEntry(entry));
            continue;
        }
        Tool& tool = lstTools[iTool];
        const int iDevice = deviceIndex(tool, entry.sNumber);
        const Device device = Device::fromEntry(entry);
        if (iDevice < 0)
            tool.lstDevices.append(device);
        else
            tool.lstDevices[iDevice] = device;
    }
    return lstTools;
}

int toolIndex(const QList<Tool>& lst, const QString& sName) {
    for (int i = 0; i < lst.size(); ++i) {
        if (lst[i].sName == sName)
            return i;
    }
    return -1;
}

int deviceIndex(const Tool& tool, const QString& sNumber) {
    for (int i = 0; i < tool.lstDevices.size(); ++i) {
        if (tool.lstDevices[i].sNumber == sNumber)
            return i;
    }
    return -1;
}

// The level is a qint16 on the stream.
QDataStream& operator<<(QDataStream& out, const CertificateMethod& method) {
    return out << method.sMethod << method.dtValidity << qint16(method.iLevel);
}

QDataStream& operator>>(QDataStream& in, CertificateMethod& method) {
    qint16 iLevel = 0;
    in >> bounded(method.sMethod) >> method.dtValidity >> iLevel;
    if (in.status() == QDataStream::Ok && !isLevel(iLevel))
        in.setStatus(QDataStream::ReadCorruptData);
    method.iLevel = iLevel;
    return in;
}

QDataStream& operator<<(QDataStream& out, const Certificate& certificate) {
    out << certificate.sNumber << certificate.sIssuedBy;
    writeRecordList(out, certificate.lstMethods);
    return out;
}

bool readRecord(QDataStream& in, Certificate& certificate) {
    in >> bounded(certificate.sNumber) >> bounded(certificate.sIssuedBy);
    if (in.status() != QDataStream::Ok)
        return false;
    readRecordList(in, certificate.lstMethods);
    return true;
}

QDataStream& operator>>(QDataStream& in, Certificate& certificate) {
    readRecord(in, certificate);
    return in;
}

QDataStream& operator<<(QDataStream& out, const Specialist& specialist) {
    out << specialist.sName;
    writeRecordList(out, specialist.lstCertificates);
    return out;
}

bool readRecord(QDataStream& in, Specialist& specialist) {
    in >> bounded(specialist.sName);
    if (in.status() != QDataStream::Ok)
        return false;
    readRecordList(in, specialist.lstCertificates);
    return true;
}

QDataStream& operator>>(QDataStream& in, Specialist& specialist) {
    readRecord(in, specialist);
    return in;
}

QDataStream& operator<<(QDataStream& out, const Device& device) {
    return out << device.sNumber << device.sCertNumber << device.dtValidity << device.bVerification;
}

QDataStream& operator>>(QDataStream& in, Device& device) {
    return in >> bounded(device.sNumber) >> bounded(device.sCertNumber) >> device.dtValidity >>
           strictBool(device.bVerification);
}

QDataStream& operator<<(QDataStream& out, const Tool& tool) {
    out << tool.sName;
    writeRecordList(out, tool.lstDevices);
    return out;
}

bool readRecord(QDataStream& in, Tool& tool) {
    in >> bounded(tool.sName);
    if (in.status() != QDataStream::Ok)
        return false;
    readRecordList(in, tool.lstDevices);
    return true;
}

QDataStream& operator>>(QDataStream& in, Tool& tool) {
    readRecord(in, tool);
    return in;
}

QDataStream& operator<<(QDataStream& out, const Organization& organization) {
    out << organization.sName;
    writeRecordList(out, organization.lstGrounds);
    return out;
}

bool readRecord(QDataStream& in, Organization& organization) {
    in >> bounded(organization.sName);
    if (in.status() != QDataStream::Ok)
        return false;
    readRecordList(in, organization.lstGrounds);
    return true;
}

QDataStream& operator>>(QDataStream& in, Organization& organization) {
    readRecord(in, organization);
    return in;
}

QDataStream& operator<<(QDataStream& out, const SpecialistEntry& entry) {
    return out << entry.sName << entry.sLicenseNum << entry.sMethod << entry.dtValidity
               << qint16(entry.iLevel) << entry.sIssuedBy;
}

QDataStream& operator>>(QDataStream& in, SpecialistEntry& entry) {
    qint16 iLevel = 0;
    in >> bounded(entry.sName) >> bounded(entry.sLicenseNum) >> bounded(entry.sMethod) >>
        entry.dtValidity >> iLevel >> bounded(entry.sIssuedBy);
    entry.iLevel = iLevel;
    return in;
}

QDataStream& operator<<(QDataStream& out, const ToolEntry& entry) {
    return out << entry.sToolName << entry.sNumber << entry.sCertNumber << entry.dtValidity
               << entry.bVerification;
}

QDataStream& operator>>(QDataStream& in, ToolEntry& entry) {
    return in >> bounded(entry.sToolName) >> bounded(entry.sNumber) >> bounded(entry.sCertNumber) >>
           entry.dtValidity >> strictBool(entry.bVerification);
}
