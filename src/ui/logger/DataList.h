#pragma once

#include "records/DataRecord.h"
#include "ui/lists/ListWindow.h"

#include <vector>

class QLabel;

namespace tarnix::ui {

// The records of one logger set: a title panel, the list, Save, Plot and Print.
class DataList : public ListWindow {
    Q_OBJECT

public:
    DataList(const ListContext& context, QWidget* parent = nullptr);

    // Lists the records of set `number`; the title counts them as they are
    // listed and then gives the total.
    void listSet(const std::vector<records::RecordFields>& records, int number);

    void setTitle(const QString& text);
    QString title() const;

private:
    void layOut(int width, int height) override;
    QLabel* m_title = nullptr;
};

} // namespace tarnix::ui
