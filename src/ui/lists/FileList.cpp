#include "ui/lists/FileList.h"

#include "files/DataFile.h"
#include "ui/lists/ListGrid.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/Twips.h"
#include "ui/platform/TwipsGeometry.h"

#include <QPointer>
#include <QPushButton>

namespace tarnix::files {

namespace {
constexpr int ButtonWidth = 1200, ButtonHeight = 360;
}

FileList::FileList(const ListContext& context, QWidget* parent) : ListWindow(context, parent) {
    setObjectName(QStringLiteral("FileList"));
    setWindowTitle(QStringLiteral("FileList"));
    auto* plot = new QPushButton(QStringLiteral("Plot"), this);
    plot->setObjectName(QStringLiteral("CmdFplot"));
    connect(plot, &QPushButton::clicked, this, [this] { plotList(PlotSource::FileList); });
    servePlots(PlotSource::FileList);
    auto* print = new QPushButton(QStringLiteral("Print"), this);
    print->setObjectName(QStringLiteral("CmdFprint"));
    connect(print, &QPushButton::clicked, this, &ListWindow::printList);
    resize(platform::sizeFromTwips(this, 6600, 5400));
    layOut();
}

void FileList::resizeEvent(QResizeEvent* event) {
    layOut();
    ListWindow::resizeEvent(event);
}

void FileList::layOut() {
    const int w = int(platform::pixelsToTwips(width(), logicalDpiX()));
    const int h = int(platform::pixelsToTwips(height(), logicalDpiY()));
    placeGrid(60, 60, w - 120, h - ButtonHeight - 240);
    const int top = h - ButtonHeight - 90;
    platform::setGeometryTwips(findChild<QPushButton*>(QStringLiteral("CmdFplot")), 60, top,
                               ButtonWidth, ButtonHeight);
    platform::setGeometryTwips(findChild<QPushButton*>(QStringLiteral("CmdFprint")),
                               60 + ButtonWidth + 120, top, ButtonWidth, ButtonHeight);
}

void FileList::load(const QString& path) {
    const QString title = path.section(u'/', -1);
    setWindowTitle(title);
    model().clear();
    QPointer<FileList> self(this);
    qsizetype shown = 0;
    const LoadResult result =
        loadDataFile(path, model().recordsForLoading(), [&](qsizetype records) {
            // Between chunks: count in the caption, show the rows, let the
            // window paint and answer (the user may close it meanwhile).
            if (!self)
                return false;
            setWindowTitle(QStringLiteral("%1 Records Completed").arg(records));
            model().announceLoaded(shown);
            shown = records;
            return context().clock.wait(0) && self;
        });
    if (!self)
        return;
    model().announceLoaded(shown);
    setWindowTitle(title);
    if (!result.ok)
        context().dialogs.message(result.error, platform::MessageIcon::Critical);
    else if (const QString odd = oddLinesWarning(path, result.oddLines); !odd.isEmpty())
        context().dialogs.message(odd, platform::MessageIcon::Exclamation);
}

} // namespace tarnix::files
