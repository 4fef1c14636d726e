#include "ui/platform/QtPrinter.h"

#include "platform/Dialogs.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <QPixmap>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSaveFile>
#include <QWidget>

namespace tarnix::ui {

namespace {

// Where one document goes: a printer, or a PDF written through a save file,
// so that a document that fails or is dropped halfway never replaces the
// file the user chose.
struct Target {
    std::unique_ptr<QPrinter> printer;
    std::unique_ptr<QSaveFile> file; // declared before the writer that writes to it
    std::unique_ptr<QPdfWriter> pdf;
    QString name; // the printer's name or the file's path, for messages

    QPagedPaintDevice* device() const {
        if (printer)
            return printer.get();
        return pdf.get();
    }

    QString cannot() const {
        return printer ? QStringLiteral("cannot print on %1").arg(name)
                       : QStringLiteral("cannot write %1: %2").arg(name, file->errorString());
    }

    // Empty when the painter is painting on the target; else why not.
    QString begin(QPainter& painter) const {
        return painter.begin(device()) ? QString() : cannot();
    }

    // Ends the document so that it prints or the file appears; empty on success.
    QString complete(QPainter& painter) {
        const bool ended = painter.end();
        if (printer)
            return ended && printer->printerState() != QPrinter::Error ? QString() : cannot();
        if (ended && file->commit())
            return {};
        return cannot();
    }

    // Drops the document: the printer is asked to abort, the file is not written.
    void discard(QPainter& painter) {
        if (printer)
            printer->abort();
        if (file)
            file->cancelWriting();
        painter.end();
    }
};

class QtTextPrintJob final : public platform::TextPrintJob {
public:
    explicit QtTextPrintJob(Target target) : m_target(std::move(target)) {}
    ~QtTextPrintJob() override {
        if (m_painter.isActive())
            m_target.discard(m_painter);
    }

    // Empty when the document has begun; else why not.
    QString begin() {
        if (QString error = m_target.begin(m_painter); !error.isEmpty())
            return error;
        QFont font(QStringLiteral("DejaVu Sans Mono"), 10);
        font.setStyleHint(QFont::TypeWriter);
        font.setFixedPitch(true);
        m_painter.setFont(font);
        const QFontMetricsF metrics(font, m_painter.device());
        m_ascent = metrics.ascent();
        m_lineHeight = metrics.lineSpacing();
        // The device's size is the printable area inside the margins.
        m_pageHeight = m_painter.device()->height();
        return {};
    }

    bool printLine(const QString& line) override {
        if (!m_painter.isActive())
            return fail(QStringLiteral("the document has ended"));
        if (m_y > 0 && m_y + m_lineHeight > m_pageHeight) {
            if (!m_target.device()->newPage())
                return fail(m_target.cannot());
            m_y = 0;
        }
        m_painter.drawText(QPointF(0, m_y + m_ascent), line);
        m_y += m_lineHeight;
        if (m_target.printer && m_target.printer->printerState() == QPrinter::Error)
            return fail(m_target.cannot());
        return true;
    }

    bool finish() override {
        if (!m_painter.isActive())
            return fail(QStringLiteral("the document has ended"));
        const QString error = m_target.complete(m_painter);
        return error.isEmpty() || fail(error);
    }

    QString errorText() const override { return m_error; }

private:
    bool fail(const QString& error) {
        m_error = error;
        return false;
    }

    Target m_target;
    QPainter m_painter; // after the target: ends before its device goes
    qreal m_ascent = 0;
    qreal m_lineHeight = 0;
    qreal m_pageHeight = 0;
    qreal m_y = 0;
    QString m_error;
};

// The system's printer, or a PDF file named by the user. False, with
// `error` set or `cancelled` true, when there is nowhere to print.
bool openTarget(Target& target, const QString& documentName, QtPrinter::Output output,
                platform::Dialogs& dialogs, QString& error, bool& cancelled) {
    error.clear();
    cancelled = false;
    if (output == QtPrinter::Output::SystemPrinter) {
        QPrinterInfo info = QPrinterInfo::defaultPrinter();
        if (info.isNull() && !QPrinterInfo::availablePrinters().isEmpty())
            info = QPrinterInfo::availablePrinters().constFirst();
        if (!info.isNull()) {
            target.printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
            target.printer->setDocName(documentName);
            target.name = info.printerName();
            return true;
        }
    }
    QString path = dialogs.saveFileName(QStringLiteral("PDF Files (*.pdf)"));
    if (path.isEmpty()) {
        cancelled = true;
        return false;
    }
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".pdf");
    target.name = path;
    target.file = std::make_unique<QSaveFile>(path);
    if (!target.file->open(QIODevice::WriteOnly)) {
        error = target.cannot();
        return false;
    }
    target.pdf = std::make_unique<QPdfWriter>(target.file.get());
    target.pdf->setTitle(documentName);
    target.pdf->setCreator(QStringLiteral("Tarnix"));
    return true;
}

} // namespace

QtPrinter::QtPrinter(platform::Dialogs& dialogs, Output output)
    : m_dialogs(dialogs), m_output(output) {}

std::unique_ptr<platform::TextPrintJob> QtPrinter::beginText(const QString& documentName) {
    Target target;
    if (!openTarget(target, documentName, m_output, m_dialogs, m_error, m_cancelled))
        return nullptr;
    auto job = std::make_unique<QtTextPrintJob>(std::move(target));
    if (m_error = job->begin(); !m_error.isEmpty())
        return nullptr;
    return job;
}

bool QtPrinter::printWindow(QWidget* window) {
    m_error.clear();
    m_cancelled = false;
    // Grabbed before any dialog covers it: the image as the user saw it.
    const QPixmap image = window ? window->grab() : QPixmap();
    if (image.isNull()) {
        m_error = QStringLiteral("the window has no image to print");
        return false;
    }
    Target target;
    if (!openTarget(target, window->windowTitle(), m_output, m_dialogs, m_error, m_cancelled))
        return false;
    QPainter painter;
    if (m_error = target.begin(painter); !m_error.isEmpty())
        return false;
    const QSize page(painter.device()->width(), painter.device()->height());
    const QSize size = image.size().scaled(page, Qt::KeepAspectRatio);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(QRect(QPoint(0, 0), size), image);
    m_error = target.complete(painter);
    return m_error.isEmpty();
}

} // namespace tarnix::ui
