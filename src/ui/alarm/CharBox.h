#pragma once

#include <QLineEdit>

namespace tarnix::ui {

// A box for one character: only the given characters are taken (others are
// ignored), and a click empties it.
class CharBox : public QLineEdit {
    Q_OBJECT

public:
    CharBox(QString accepted, bool editingKeys, QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QString m_accepted;
    bool m_editingKeys; // backspace and enter
};

} // namespace tarnix::ui
