#include "platform/SerialDevices.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSerialPortInfo>
#include <algorithm>
#include <tuple>

namespace tarnix::platform {

namespace {

// Sort key: the group, the name without its number, the number.
std::tuple<int, QString, long long> sortKey(const QString& path) {
    static const QRegularExpression trailingNumber(QStringLiteral("^(.*?)(\\d+)$"));
    const QString name = path.section(u'/', -1);
    int group = 2;
    if (name.startsWith(u"ttyUSB"))
        group = 0;
    else if (name.startsWith(u"ttyACM"))
        group = 1;
    const auto m = trailingNumber.match(path);
    if (m.hasMatch())
        return {group, m.captured(1), m.captured(2).toLongLong()};
    return {group, path, -1};
}

} // namespace

QStringList orderSerialDevices(QStringList paths) {
    std::stable_sort(paths.begin(), paths.end(),
                     [](const QString& a, const QString& b) { return sortKey(a) < sortKey(b); });
    paths.removeDuplicates();
    return paths;
}

QStringList serialDevices() {
    QStringList paths;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        paths << info.systemLocation();
    return orderSerialDevices(paths);
}

QList<SerialDevice> describedSerialDevices() {
    const QMap<QString, QString> links = byIdLinks(QStringLiteral("/dev/serial/by-id"));
    QMap<QString, SerialDevice> byPath;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        const QString path = info.systemLocation();
        byPath.insert(path, {path, info.description(), info.manufacturer(), info.serialNumber(),
                             links.value(path)});
    }
    QList<SerialDevice> devices;
    for (const QString& path : orderSerialDevices(byPath.keys()))
        devices.append(byPath.value(path));
    return devices;
}

QString deviceSummary(const SerialDevice& device) {
    QString text = device.path;
    const QString description = device.description.trimmed();
    const QString maker = device.manufacturer.trimmed();
    if (!description.isEmpty())
        text += QStringLiteral(" \u2014 ") + description;
    if (!maker.isEmpty())
        text += description.isEmpty() ? QStringLiteral(" \u2014 ") + maker
                                      : QStringLiteral(" (%1)").arg(maker);
    return text;
}

QMap<QString, QString> byIdLinks(const QString& byIdFolder) {
    QMap<QString, QString> links;
    const QDir folder(byIdFolder);
    for (const QFileInfo& link : folder.entryInfoList(QDir::System | QDir::Files, QDir::Name)) {
        const QString target = link.canonicalFilePath();
        if (link.isSymLink() && !target.isEmpty() && !links.contains(target))
            links.insert(target, link.absoluteFilePath());
    }
    return links;
}

QString deviceForComNumber(int number, const QStringList& orderedDevices) {
    if (number < 1 || number > orderedDevices.size())
        return {};
    return orderedDevices[number - 1];
}

int comNumber(const QString& name) {
    for (int n = 1; n <= ComNames; ++n)
        if (name == QStringLiteral("COM%1").arg(n))
            return n;
    return 0;
}

QString portDevice(const QString& name, const QStringList& orderedDevices) {
    const int number = comNumber(name);
    return number > 0 ? deviceForComNumber(number, orderedDevices) : name;
}

QString portShownAs(const QString& name, const QStringList& orderedDevices) {
    if (comNumber(name) == 0)
        return name;
    const QString device = portDevice(name, orderedDevices);
    return QStringLiteral("%1 (%2)").arg(name, device.isEmpty() ? QStringLiteral("no serial device")
                                                                : device);
}

QString portShownAs(const QString& name) {
    return portShownAs(name, comNumber(name) > 0 ? serialDevices() : QStringList());
}

QString devicePath(const QString& name) {
    if (name.isEmpty() || name.startsWith(u'/'))
        return name;
    if (!name.contains(u'/'))
        return QStringLiteral("/dev/") + name;
    return QDir::cleanPath(QDir::current().absoluteFilePath(name));
}

QString shortDeviceName(const QString& path) {
    return path.startsWith(u"/dev/") ? path.mid(5) : path;
}

} // namespace tarnix::platform
