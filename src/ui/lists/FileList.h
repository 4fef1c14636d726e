#pragma once

#include "ui/lists/ListWindow.h"

namespace tarnix::ui {

// An opened data file as a list, with Plot and Print.
class FileList : public ListWindow {
    Q_OBJECT

public:
    FileList(const ListContext& context, QWidget* parent = nullptr);

    // Reads the file, showing "N Records Completed" and a progress box with
    // Cancel while it loads, and the file's name after. A file that cannot be
    // read is reported; the records read so far stay listed. False when the
    // load was cancelled: the window is as it was before.
    bool load(const QString& path);

    // The file itself, followed as it grows.
    void openTrend() override;

private:
    void layOut(int width, int height) override;
    QString m_path;
};

} // namespace tarnix::ui
