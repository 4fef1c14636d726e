#include "ui/logger/DataList.h"

#include "logger/MemoryDump.h"
#include "platform/Twips.h"
#include "ui/platform/TwipsGeometry.h"

#include <QLabel>
#include <QPushButton>

namespace tarnix::logger {

namespace {
constexpr int ButtonWidth = 1200, ButtonHeight = 360, TitleHeight = 360;
}

DataList::DataList(const files::ListContext& context, QWidget* parent)
    : ListWindow(context, parent) {
    setObjectName(QStringLiteral("DataList"));
    setWindowTitle(QStringLiteral("DataList"));
    m_title = new QLabel(this);
    m_title->setObjectName(QStringLiteral("LblTitle"));
    m_title->setAlignment(Qt::AlignCenter);
    m_title->setFrameShape(QFrame::Panel);
    m_title->setFrameShadow(QFrame::Sunken);
    const struct {
        const char* name;
        const char* caption;
    } buttons[] = {{"CmdDsave", "Save"}, {"CmdDplot", "Plot"}, {"CmdDprint", "Print"}};
    for (const auto& b : buttons) {
        auto* button = new QPushButton(QString::fromLatin1(b.caption), this);
        button->setObjectName(QString::fromLatin1(b.name));
    }
    connect(findChild<QPushButton*>(QStringLiteral("CmdDsave")), &QPushButton::clicked, this,
            &ListWindow::saveList);
    connect(findChild<QPushButton*>(QStringLiteral("CmdDprint")), &QPushButton::clicked, this,
            &ListWindow::printList);
    connect(findChild<QPushButton*>(QStringLiteral("CmdDplot")), &QPushButton::clicked, this,
            [this] { plotList(files::PlotSource::DataList); });
    servePlots(files::PlotSource::DataList);
    resize(platform::sizeFromTwips(this, 6600, 5400));
    layOut();
}

void DataList::listSet(const std::vector<files::RecordFields>& records, int number) {
    qsizetype listed = 0;
    for (const files::RecordFields& fields : records) {
        m_title->setText(QString::number(++listed));
        model().appendRecord(fields);
    }
    m_title->setText(downloadTitle(QString::number(records.size()), number));
}

void DataList::setTitle(const QString& text) { m_title->setText(text); }

QString DataList::title() const { return m_title->text(); }

void DataList::resizeEvent(QResizeEvent* event) {
    layOut();
    ListWindow::resizeEvent(event);
}

void DataList::layOut() {
    const int w = int(platform::pixelsToTwips(width(), logicalDpiX()));
    const int h = int(platform::pixelsToTwips(height(), logicalDpiY()));
    platform::setGeometryTwips(m_title, 60, 60, w - 120, TitleHeight);
    placeGrid(60, TitleHeight + 120, w - 120, h - TitleHeight - ButtonHeight - 300);
    const int top = h - ButtonHeight - 90;
    int left = 60;
    for (const char* name : {"CmdDsave", "CmdDplot", "CmdDprint"}) {
        platform::setGeometryTwips(findChild<QPushButton*>(QString::fromLatin1(name)), left, top,
                                   ButtonWidth, ButtonHeight);
        left += ButtonWidth + 120;
    }
}

} // namespace tarnix::logger
