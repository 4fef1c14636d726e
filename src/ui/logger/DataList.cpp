#include "ui/logger/DataList.h"

#include "logger/MemoryDump.h"
#include "platform/Twips.h"
#include "ui/platform/TwipsGeometry.h"

#include <QLabel>
#include <QPushButton>

namespace tarnix::ui {

namespace {
constexpr int TitleHeight = 360;
}

DataList::DataList(const ListContext& context, QWidget* parent) : ListWindow(context, parent) {
    setObjectName(QStringLiteral("DataList"));
    setWindowTitle(QStringLiteral("DataList"));
    m_title = new QLabel(this);
    m_title->setObjectName(QStringLiteral("LblTitle"));
    m_title->setAlignment(Qt::AlignCenter);
    m_title->setFrameShape(QFrame::Panel);
    m_title->setFrameShadow(QFrame::Sunken);
    connect(addButton("CmdDsave", QStringLiteral("Save")), &QPushButton::clicked, this,
            &ListWindow::saveList);
    connect(addButton("CmdDplot", QStringLiteral("Plot")), &QPushButton::clicked, this,
            [this] { plotList(plot::PlotSource::DataList); });
    connect(addButton("CmdDprint", QStringLiteral("Print")), &QPushButton::clicked, this,
            &ListWindow::printList);
    resize(sizeFromTwips(this, 6600, 5400));
    layOutNow();
}

void DataList::listSet(const std::vector<records::RecordFields>& records, int number) {
    // No event loop runs in between: a count per record would never be seen.
    for (const records::RecordFields& fields : records)
        model().appendRecord(fields);
    m_title->setText(logger::downloadTitle(QString::number(records.size()), number));
}

void DataList::setTitle(const QString& text) {
    m_title->setText(text);
}

QString DataList::title() const {
    return m_title->text();
}

void DataList::layOut(int w, int h) {
    setGeometryTwips(m_title, 60, 60, w - 120, TitleHeight);
    placeGrid(60, TitleHeight + 120, w - 120, h - TitleHeight - ButtonHeight - 300);
    placeButtons(h - ButtonHeight - 90);
}

} // namespace tarnix::ui
