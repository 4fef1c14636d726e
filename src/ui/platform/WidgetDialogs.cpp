#include "ui/platform/WidgetDialogs.h"

#include "records/SaveName.h"

#include <QApplication>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QProgressDialog>
#include <QRegularExpression>
#include <limits>

namespace tarnix::ui {

namespace {

QString windowTitle(const QString& title) {
    return title.isEmpty() ? QStringLiteral("Tarnix") : title;
}

QMessageBox::Icon boxIcon(platform::MessageIcon icon) {
    switch (icon) {
    case platform::MessageIcon::Critical:
        return QMessageBox::Critical;
    case platform::MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case platform::MessageIcon::Information:
        return QMessageBox::Information;
    case platform::MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// Runs a box made on the heap: should its window go while it is open, the
// box goes with it instead of being deleted twice.
template <typename Box> int run(Box* made) {
    QPointer<Box> box(made);
    const int result = box->exec();
    delete box;
    return result;
}

// Each filter as Qt's dialog takes it: the text as the user reads it, then
// the patterns in brackets of their own, which the dialog hides; "*.*" there
// becomes "*", every file, as on Windows.
QStringList dialogFilters(const QString& filter) {
    static const QRegularExpression patterns(QStringLiteral("\\(([^()]*)\\)\\s*$"));
    QStringList filters;
    for (const QString& text : filter.split(QStringLiteral(";;"), Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch match = patterns.match(text);
        if (!match.hasMatch()) {
            filters << text;
            continue;
        }
        QStringList globs = match.captured(1).split(u' ', Qt::SkipEmptyParts);
        for (QString& glob : globs)
            if (glob == u"*.*")
                glob = QStringLiteral("*");
        filters << text + QStringLiteral(" (") + globs.join(u' ') + u')';
    }
    return filters;
}

} // namespace

QWidget* WidgetDialogs::owner(QObject* window) const {
    // A window closed meanwhile (a print outlasts it) hands its box on.
    if (auto* widget = qobject_cast<QWidget*>(window); widget && widget->window()->isVisible())
        return widget->window();
    QWidget* active = QApplication::activeWindow();
    // A progress box steps aside for the box: its window has it.
    if (auto* progress = qobject_cast<QProgressDialog*>(active))
        active = progress->parentWidget() ? progress->parentWidget()->window() : nullptr;
    return active ? active : m_mainWindow.data();
}

// While a box of its own is up, the progress box is hidden: its block on
// its window would keep the mouse from the box, and it would stand over it.
// It comes back when the box has gone, should the work still go on.
class WidgetDialogs::ProgressAside {
public:
    explicit ProgressAside(const WidgetDialogs& dialogs)
        : m_box(dialogs.m_progress), m_hidden(m_box && m_box->isVisible()) {
        if (m_hidden)
            m_box->hide();
    }
    ~ProgressAside() {
        if (m_hidden && m_box)
            m_box->show();
    }
    ProgressAside(const ProgressAside&) = delete;
    ProgressAside& operator=(const ProgressAside&) = delete;

private:
    QPointer<QProgressDialog> m_box;
    bool m_hidden;
};

void WidgetDialogs::messageFor(QObject* window, const QString& text, platform::MessageIcon icon,
                               const QString& title) {
    const ProgressAside aside(*this);
    run(new QMessageBox(boxIcon(icon), windowTitle(title), text, QMessageBox::Ok, owner(window)));
}

bool WidgetDialogs::retry(const QString& text) {
    const ProgressAside aside(*this);
    auto* box = new QMessageBox(QMessageBox::NoIcon, windowTitle({}), text,
                                QMessageBox::Ok | QMessageBox::Cancel, owner(nullptr));
    box->setDefaultButton(QMessageBox::Ok);
    return run(box) == QMessageBox::Ok;
}

namespace {
// A progress bar with Cancel, shown only once the work has taken a moment.
class ProgressBox final : public platform::Progress {
public:
    ProgressBox(QWidget* owner, const QString& text, const platform::Clock& clock)
        : m_box(new QProgressDialog(text, QStringLiteral("Cancel"), 0, 100, owner)),
          m_clock(clock), m_since(clock.monotonic()) {
        m_box->setWindowModality(Qt::WindowModal);
        // Shown by update() alone, never by the dialog's own timer, which
        // could put it up over a message that waits for the user.
        m_box->setMinimumDuration(std::numeric_limits<int>::max());
        m_box->setAutoReset(false);
        m_box->setValue(0);
    }
    ~ProgressBox() override { delete m_box; }
    QProgressDialog* box() const { return m_box; }
    bool update(int percent) override {
        if (!m_box)
            return false;
        if (!m_shown && m_clock.monotonic() - m_since >= ShowAfter) {
            m_box->show();
            m_shown = true;
        }
        m_box->setValue(percent);
        return !m_box->wasCanceled();
    }

private:
    static constexpr double ShowAfter = 0.3; // seconds: quick work shows no box
    QPointer<QProgressDialog> m_box;
    const platform::Clock& m_clock;
    double m_since;
    bool m_shown = false;
};
} // namespace

std::unique_ptr<platform::Progress> WidgetDialogs::progressFor(QObject* window,
                                                               const QString& text) {
    auto progress = std::make_unique<ProgressBox>(owner(window), text, m_clock);
    m_progress = progress->box();
    return progress;
}

QString WidgetDialogs::input(const QString& prompt, const QString& title,
                             const QString& defaultAnswer) {
    const ProgressAside aside(*this);
    bool accepted = false;
    const QString answer = QInputDialog::getText(owner(nullptr), windowTitle(title), prompt,
                                                 QLineEdit::Normal, defaultAnswer, &accepted);
    return accepted ? answer : QString();
}

std::unique_ptr<QFileDialog>
WidgetDialogs::fileDialog(QWidget* parent, QFileDialog::AcceptMode mode, const QString& filter) {
    auto dialog = std::make_unique<QFileDialog>(parent);
    dialog->setAcceptMode(mode);
    // No confirmation for an existing file: the file itself is replaced
    // safely by its writer. A missing extension is added once it returns.
    dialog->setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile
                                                        : QFileDialog::ExistingFile);
    dialog->setOption(QFileDialog::DontConfirmOverwrite);
    dialog->setOption(QFileDialog::HideNameFilterDetails);
    dialog->setNameFilters(dialogFilters(filter));
    return dialog;
}

QString WidgetDialogs::fileName(QFileDialog::AcceptMode mode, const QString& filter,
                                QString* chosen) {
    const ProgressAside aside(*this);
    QPointer<QFileDialog> dialog(fileDialog(owner(nullptr), mode, filter).release());
    const bool accepted = dialog->exec() == QDialog::Accepted;
    QString path = dialog && accepted ? dialog->selectedFiles().value(0) : QString();
    QString picked;
    if (dialog) {
        // The dialog holds each filter with its patterns spelled out, and
        // answers with or without them; the caller gets it back as given.
        const QStringList given = filter.split(QStringLiteral(";;"), Qt::SkipEmptyParts);
        const QString shown = dialog->selectedNameFilter();
        qsizetype index = dialogFilters(filter).indexOf(shown);
        if (index < 0)
            index = given.indexOf(shown);
        picked = given.value(std::max<qsizetype>(index, 0));
    }
    delete dialog;
    if (chosen)
        *chosen = picked;
    // A new file typed without an extension gets its filter's; a file that
    // exists (a device, a fifo, an earlier recording) is the one pointed at.
    if (mode == QFileDialog::AcceptSave && !path.isEmpty() && !QFileInfo::exists(path))
        path = records::withFilterExtension(path, picked);
    return path;
}

QString WidgetDialogs::saveFileName(const QString& filter) {
    return fileName(QFileDialog::AcceptSave, filter);
}

QString WidgetDialogs::saveFileName(const QString& filter, QString* chosen) {
    return fileName(QFileDialog::AcceptSave, filter, chosen);
}

QString WidgetDialogs::openFileName(const QString& filter) {
    return fileName(QFileDialog::AcceptOpen, filter);
}

} // namespace tarnix::ui
