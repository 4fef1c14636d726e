#include "ui/PortWindow.h"

#include "platform/SerialDevices.h"
#include "ui/platform/TwipsGeometry.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QStyledItemDelegate>
#include <algorithm>

namespace tarnix::ui {

namespace {
constexpr int InsideWidth = 4680;
constexpr int InsideHeight = 585;
constexpr int QuickButtonsTop = 6960; // below the laid-out area, reached with the keyboard
constexpr int DeviceLeft = 2400, DeviceWidth = 2200;

// The open list shows what each COM name stands for beside it, while the
// item's own text, which OK compares, stays "COM1".
class DescribedItems : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        const QString summary = index.data(Qt::ToolTipRole).toString();
        if (!summary.isEmpty())
            option->text += QStringLiteral(" = ") + summary;
    }
};
} // namespace

PortWindow::PortWindow(QList<platform::SerialDevice> devices, QWidget* parent)
    : QWidget(parent), m_devices(std::move(devices)) {
    for (const platform::SerialDevice& device : m_devices)
        m_paths.append(device.path);
    setObjectName(QStringLiteral("Port"));
    setWindowTitle(QStringLiteral("Port Selection"));

    m_ports = new QComboBox(this);
    m_ports->setObjectName(QStringLiteral("Ports"));
    m_ports->setEditable(true);
    for (int n = 1; n <= 8; ++n) {
        m_ports->addItem(QStringLiteral("COM%1").arg(n));
        m_ports->setItemData(n - 1, summaryFor(n), Qt::ToolTipRole);
    }
    m_ports->addItem(SimulatedEntry);
    m_ports->setItemDelegate(new DescribedItems(m_ports));
    m_ports->view()->setMinimumWidth(m_ports->view()->sizeHintForColumn(0));
    m_ports->setCurrentIndex(0);
    setGeometryTwips(m_ports, 120, 105, 1200, 375);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("CmdOK"));
    ok->setDefault(true);
    setGeometryTwips(ok, 1440, 105, 840, 375);

    m_device = new QLabel(this);
    m_device->setObjectName(QStringLiteral("LblDevice"));
    setGeometryTwips(m_device, DeviceLeft, 105, DeviceWidth, 375);

    auto* com1 = new QPushButton(QStringLiteral("Com1"), this);
    com1->setObjectName(QStringLiteral("CmdCom1"));
    setGeometryTwips(com1, 120, QuickButtonsTop, 840, 375);
    auto* com2 = new QPushButton(QStringLiteral("Com2"), this);
    com2->setObjectName(QStringLiteral("CmdCom2"));
    setGeometryTwips(com2, 1080, QuickButtonsTop, 840, 375);

    setTabOrder(m_ports, ok);
    setTabOrder(ok, com1);
    setTabOrder(com1, com2);

    connect(ok, &QPushButton::clicked, this, &PortWindow::accept);
    connect(m_ports->lineEdit(), &QLineEdit::returnPressed, this, &PortWindow::accept);
    connect(com1, &QPushButton::clicked, this, [this] { Q_EMIT quickChoice(1); });
    connect(com2, &QPushButton::clicked, this, [this] { Q_EMIT quickChoice(2); });
    connect(m_ports, &QComboBox::currentTextChanged, this, &PortWindow::showDevice);
    // A picked entry wider than the field ("Simulated meter") shows its start.
    connect(m_ports, &QComboBox::activated, m_ports->lineEdit(), [this] {
        m_ports->lineEdit()->home(false);
    });
    connect(new QShortcut(QKeySequence(Qt::Key_F1), this), &QShortcut::activated, this,
            &PortWindow::aboutAsked);
    resize(sizeFromTwips(this, InsideWidth, InsideHeight));
    showDevice();
}

QString PortWindow::deviceFor(int number) const {
    return platform::deviceForComNumber(number, m_paths);
}

QString PortWindow::summaryFor(int number) const {
    if (deviceFor(number).isEmpty())
        return tr("no serial device");
    return platform::deviceSummary(m_devices[number - 1]);
}

void PortWindow::showDevice() {
    const QString text = m_ports->currentText().trimmed();
    for (int n = 1; n <= 8; ++n)
        if (text == QStringLiteral("COM%1").arg(n)) {
            setDeviceText(QStringLiteral("= ") + summaryFor(n));
            return;
        }
    if (text == SimulatedEntry)
        setDeviceText(tr("= the built-in meter, no cable needed"));
    else
        setDeviceText(text.startsWith(u'/') ? tr("= %1").arg(text) : QString());
}

void PortWindow::setDeviceText(const QString& text) {
    m_device->setText(text);
    const int needed = m_device->fontMetrics().horizontalAdvance(text) + 8;
    const int designed = sizeFromTwips(this, DeviceWidth, 375).width();
    m_device->resize(std::max(needed, designed), m_device->height());
    const int right = m_device->geometry().right() + 1 + m_ports->x(); // the same margin as the left
    if (right > width())
        resize(right, height());
}

void PortWindow::accept() {
    const QString text = m_ports->currentText().trimmed();
    for (int n = 1; n <= 8; ++n)
        if (text == QStringLiteral("COM%1").arg(n)) {
            Q_EMIT accepted(n, {});
            return;
        }
    if (text == SimulatedEntry) {
        Q_EMIT simulatedChosen();
        return;
    }
    Q_EMIT accepted(0, text.startsWith(u'/') ? text : QString());
}

} // namespace tarnix::ui
