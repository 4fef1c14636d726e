#pragma once

#include "plot/PlotLimits.h"
#include "ui/lists/ListModel.h"

#include <QWidget>
#include <vector>

class QPushButton;
class QTimer;

namespace tarnix::platform {
class Clock;
class Dialogs;
class Printer;
} // namespace tarnix::platform

namespace tarnix::records {
struct DataChannel;
} // namespace tarnix::records

namespace tarnix::ui {

class ListGrid;
class PlotBoard;

// What a list window needs of the program around it.
struct ListContext {
    records::DataChannel& data;
    platform::Dialogs& dialogs;
    platform::Printer& printer;
    platform::Clock& clock;
    QTimer* pollingTimer;       // stopped while a list prints
    PlotBoard* plots = nullptr; // the program's plot windows; none: lists cannot plot
};

// A window around a list grid, with the Save and Print actions the live list,
// the downloaded list and the opened file share.
class ListWindow : public QWidget {
    Q_OBJECT

public:
    ListWindow(const ListContext& context, QWidget* parent = nullptr);

    ListModel& model() { return m_model; }
    ListGrid* grid() const { return m_grid; }

    // Save: refused while a PC recording holds the data file; otherwise asks
    // for a file and writes every record to it, replacing it safely.
    void saveList();
    // Print: the records as text lines on the printer.
    void printList();
    // Trend (Ctrl+T): the records over time in a trend window.
    virtual void openTrend();

protected:
    const ListContext& context() const { return m_context; }
    // Plot: the whole list in the plot window its first record calls for.
    void plotList(plot::PlotSource source);
    // Places the grid at (left, top) with the given size, in twips.
    void placeGrid(int left, int top, int width, int height);
    // A button of the row below the grid, in the order they are added.
    QPushButton* addButton(const char* name, const QString& caption);
    // Lays that row out from the left edge, its top at `top` (twips).
    void placeButtons(int top, int height = ButtonHeight);

    static constexpr int ButtonWidth = 1200, ButtonHeight = 360;

    // Lays the window out for its inner size in twips; called at every resize.
    virtual void layOut(int width, int height) {
        Q_UNUSED(width);
        Q_UNUSED(height);
    }
    void layOutNow();
    void resizeEvent(QResizeEvent* event) override;

private:
    ListContext m_context;
    ListModel m_model;
    ListGrid* m_grid = nullptr;
    std::vector<QPushButton*> m_buttons;
};

} // namespace tarnix::ui
