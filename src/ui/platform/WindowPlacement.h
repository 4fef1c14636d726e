#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <initializer_list>
#include <vector>

class QWidget;

namespace tarnix::ui {

// Where a new window of `size` (frame included) goes: beside `anchor` at its
// top, else beside or below one of the `taken` windows, else below the
// anchor, each moved onto `screen` as far as it fits. The first spot that
// covers neither the anchor nor a taken window wins; with none free, the one
// that covers the least.
QPoint freeSpot(QSize size, QRect anchor, const std::vector<QRect>& taken, QRect screen);

// Moves a window that is about to be shown to the free spot beside `anchor`
// (the panel), clear of the other windows that are open.
void placeClear(QWidget* window, const QWidget* anchor, std::initializer_list<const QWidget*> open);

// Brings a window that exists back to the user: restored if minimised,
// shown, raised and active.
void bringForward(QWidget* window);

} // namespace tarnix::ui
