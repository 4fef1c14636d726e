#include "ui/PortWindow.h"

#include "platform/SerialDevices.h"
#include "ui/platform/TwipsGeometry.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tarnix::link {

namespace {
constexpr int InsideWidth = 4680;
constexpr int InsideHeight = 585;
constexpr int QuickButtonsTop = 6960; // below the laid-out area, reached with the keyboard
} // namespace

PortWindow::PortWindow(QStringList devices, QWidget* parent)
    : QWidget(parent), m_devices(std::move(devices)) {
    setObjectName(QStringLiteral("Port"));
    setWindowTitle(QStringLiteral("Port Selection"));

    m_ports = new QComboBox(this);
    m_ports->setObjectName(QStringLiteral("Ports"));
    m_ports->setEditable(true);
    for (int n = 1; n <= 8; ++n) {
        m_ports->addItem(QStringLiteral("COM%1").arg(n));
        const QString device = deviceFor(n);
        m_ports->setItemData(n - 1, device.isEmpty() ? tr("no serial device") : device,
                             Qt::ToolTipRole);
    }
    m_ports->setCurrentIndex(0);
    platform::setGeometryTwips(m_ports, 120, 105, 1200, 375);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("CmdOK"));
    ok->setDefault(true);
    platform::setGeometryTwips(ok, 1440, 105, 840, 375);

    m_device = new QLabel(this);
    m_device->setObjectName(QStringLiteral("LblDevice"));
    platform::setGeometryTwips(m_device, 2400, 105, 2200, 375);

    auto* com1 = new QPushButton(QStringLiteral("Com1"), this);
    com1->setObjectName(QStringLiteral("CmdCom1"));
    platform::setGeometryTwips(com1, 120, QuickButtonsTop, 840, 375);
    auto* com2 = new QPushButton(QStringLiteral("Com2"), this);
    com2->setObjectName(QStringLiteral("CmdCom2"));
    platform::setGeometryTwips(com2, 1080, QuickButtonsTop, 840, 375);

    setTabOrder(m_ports, ok);
    setTabOrder(ok, com1);
    setTabOrder(com1, com2);

    connect(ok, &QPushButton::clicked, this, &PortWindow::accept);
    connect(m_ports->lineEdit(), &QLineEdit::returnPressed, this, &PortWindow::accept);
    connect(com1, &QPushButton::clicked, this, [this] { Q_EMIT quickChoice(1); });
    connect(com2, &QPushButton::clicked, this, [this] { Q_EMIT quickChoice(2); });
    connect(m_ports, &QComboBox::currentTextChanged, this, &PortWindow::showDevice);
    showDevice();
    resize(platform::sizeFromTwips(this, InsideWidth, InsideHeight));
}

QString PortWindow::deviceFor(int number) const {
    return platform::deviceForComNumber(number, m_devices);
}

void PortWindow::showDevice() {
    const QString text = m_ports->currentText().trimmed();
    for (int n = 1; n <= 8; ++n)
        if (text == QStringLiteral("COM%1").arg(n)) {
            const QString device = deviceFor(n);
            m_device->setText(device.isEmpty() ? tr("= no serial device")
                                               : QStringLiteral("= ") + device);
            return;
        }
    m_device->setText(text.startsWith(u'/') ? tr("= %1").arg(text) : QString());
}

void PortWindow::accept() {
    const QString text = m_ports->currentText().trimmed();
    for (int n = 1; n <= 8; ++n)
        if (text == QStringLiteral("COM%1").arg(n)) {
            Q_EMIT accepted(n, {});
            return;
        }
    Q_EMIT accepted(0, text.startsWith(u'/') ? text : QString());
}

} // namespace tarnix::link
