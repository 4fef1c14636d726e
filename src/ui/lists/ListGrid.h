#pragma once

#include <QTableView>

namespace tarnix::ui {

class ListModel;

// The list grid: a heading row, the number column and five more, one row per
// record, column widths from sample texts in the window's font. Rows are of
// one height, so a million of them scroll as fast as ten.
class ListGrid : public QTableView {
    Q_OBJECT

public:
    explicit ListGrid(ListModel* model, QWidget* parent = nullptr);

    // Whole rows of 240 twips that fit below the heading.
    int rowsThatFit() const;
    // Moves the view down just as far as it takes to show `row` whole.
    void bringRowIntoSight(int row);
    int firstVisibleRow() const;
};

} // namespace tarnix::ui
