#pragma once

#include "plot/PlotGeometry.h"

#include <QMainWindow>

namespace tarnix::platform {
class Dialogs;
class Printer;
} // namespace tarnix::platform

namespace tarnix::ui {

// A plot window: "ListPlot2" (the signed plot, "Plot Data/File") or
// "ListPlot1" (the positive plot, "Plot Data/File "), with the menus
// "Limit", which asks for a range dialog, and "Print", which prints the
// window's image. It shows one drawing; a new range opens a new window.
class PlotWindow : public QMainWindow {
    Q_OBJECT

public:
    PlotWindow(plot::PlotKind kind, plot::PlotDrawing drawing, platform::Printer& printer,
               platform::Dialogs& dialogs, QWidget* parent = nullptr);

    plot::PlotKind kind() const { return m_kind; }
    // The window's image on the printer; a failure is told, a cancel is not.
    void print();

Q_SIGNALS:
    void limitRequested();

private:
    plot::PlotKind m_kind;
    platform::Printer& m_printer;
    platform::Dialogs& m_dialogs;
};

} // namespace tarnix::ui
