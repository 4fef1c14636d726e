#pragma once

#include "files/ListWindow.h"

class QLabel;

namespace tarnix::logger {

// The records of one logger set: a title panel, the list, Save, Plot and Print.
class DataList : public files::ListWindow {
    Q_OBJECT

public:
    DataList(const files::ListContext& context, QWidget* parent = nullptr);

    void setTitle(const QString& text);
    QString title() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void layOut();
    QLabel* m_title = nullptr;
};

} // namespace tarnix::logger
