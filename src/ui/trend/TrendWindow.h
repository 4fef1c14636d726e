#pragma once

#include "core/TrendSource.h"
#include "trend/TrendZoom.h"

#include <QWidget>

class QLabel;
class QTimer;

namespace tarnix::platform {
class Clock;
class Dialogs;
class Printer;
} // namespace tarnix::platform

namespace tarnix::ui {

class TrendCanvas;

// A recording, or several read as one in time order, over wall-clock time:
// a lane for each function and range, zoomed and panned with the mouse and
// keys, a readout of the reading under the pointer and a measurement
// between two clicked readings. It follows its files as they grow.
class TrendWindow : public QWidget {
    Q_OBJECT

public:
    // `paths` in time order (inputsInTimeOrder()).
    TrendWindow(const QStringList& paths, platform::Dialogs& dialogs, platform::Printer& printer,
                const platform::Clock& clock, QWidget* parent = nullptr);
    // The records of the list called `name`, as they are now.
    TrendWindow(records::RecordStore records, const QString& name, platform::Dialogs& dialogs,
                platform::Printer& printer, const platform::Clock& clock,
                QWidget* parent = nullptr);

    // Reads the files, with a progress box; a failure is said, and what was
    // read stays shown. Cancelled, or the window closed meanwhile, the read
    // stops and the window closes.
    bool load();
    // Reads what the files gained since, as the window does every second.
    void readMore();

    TrendCanvas* canvas() const { return m_canvas; }
    const trend::TrendZoom& zoom() const { return m_zoom; }
    // Saves the span shown: the picture (.png, .svg) or its readings as
    // analysis CSV (.csv), by the name's ending. False, said, on a failure.
    bool saveAs(const QString& path);
    void printTrend();

    static QString titleFor(const QStringList& paths);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    TrendWindow(core::TrendSource source, const QString& title, platform::Dialogs& dialogs,
                platform::Printer& printer, QWidget* parent);
    void askSaveAs();
    void showMenu(QPoint global);
    void showReadout();
    void showMeasure();
    void extentChanged();

    core::TrendSource m_source;
    trend::TrendZoom m_zoom;
    platform::Dialogs& m_dialogs;
    platform::Printer& m_printer;
    TrendCanvas* m_canvas;
    QLabel* m_readout;
    QLabel* m_measure;
    QLabel* m_status;
    QTimer* m_follow;
    // What happened to the file, said after the counts for a few seconds of
    // following, however it grows meanwhile.
    QString m_notice;
    int m_noticeReads = 0;
    bool m_loading = false, m_closeAsked = false;
};

} // namespace tarnix::ui
