#include "ui/lists/FileList.h"

#include "records/DataFile.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/Twips.h"
#include "ui/lists/ListGrid.h"
#include "ui/platform/TwipsGeometry.h"
#include "ui/trend/TrendOpening.h"

#include <QPointer>
#include <QPushButton>

namespace tarnix::ui {

FileList::FileList(const ListContext& context, QWidget* parent) : ListWindow(context, parent) {
    setObjectName(QStringLiteral("FileList"));
    setWindowTitle(QStringLiteral("FileList"));
    connect(addButton("CmdFplot", QStringLiteral("Plot")), &QPushButton::clicked, this,
            [this] { plotList(plot::PlotSource::FileList); });
    connect(addButton("CmdFprint", QStringLiteral("Print")), &QPushButton::clicked, this,
            &ListWindow::printList);
    resize(sizeFromTwips(this, 6600, 5400));
    layOutNow();
}

void FileList::layOut(int w, int h) {
    placeGrid(60, 60, w - 120, h - ButtonHeight - 240);
    placeButtons(h - ButtonHeight - 90);
}

void FileList::openTrend() {
    if (m_path.isEmpty())
        ListWindow::openTrend();
    else
        ui::openTrend({m_path}, context().dialogs, context().printer, context().clock, this);
}

bool FileList::load(const QString& path) {
    const QString title = path.section(u'/', -1);
    const QString before = windowTitle();
    QPointer<FileList> self(this);
    records::RecordStore records;
    auto progress = context().dialogs.progressFor(this, QStringLiteral("Opening %1").arg(title));
    const records::LoadResult result = loadDataFile(path, records, [&](qsizetype count, int percent) {
        // Between chunks: count in the caption, let the window paint and
        // answer (the user may cancel, or close it meanwhile).
        if (!self)
            return false;
        setWindowTitle(QStringLiteral("%1 Records Completed").arg(count));
        return progress->update(percent) && context().clock.wait(0) && self;
    });
    progress.reset(); // the read is over: no box stands over what is said next
    if (!self)
        return false;
    if (result.cancelled) {
        setWindowTitle(before);
        return false;
    }
    model().replaceRecords(std::move(records));
    m_path = path;
    setWindowTitle(title);
    if (!result.ok)
        context().dialogs.messageFor(this, result.error, platform::MessageIcon::Critical);
    else if (const QString skipped = records::skippedLinesWarning(path, result.skippedLines);
             !skipped.isEmpty())
        context().dialogs.messageFor(this, skipped, platform::MessageIcon::Exclamation);
    return true;
}

} // namespace tarnix::ui
