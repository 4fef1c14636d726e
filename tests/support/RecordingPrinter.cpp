#include "support/RecordingPrinter.h"

#include <QWidget>

namespace tarnix::platform {

// Writes into the printer's document by index: the list may grow meanwhile.
class RecordingTextJob final : public TextPrintJob {
public:
    RecordingTextJob(RecordingPrinter& printer, std::size_t document)
        : m_printer(printer), m_document(document) {}

    bool printLine(const QString& line) override {
        auto& document = m_printer.m_documents[m_document];
        if (document.finished)
            return fail(QStringLiteral("the document has ended"));
        if (m_printer.m_lineLimit >= 0 && document.lines.size() >= m_printer.m_lineLimit)
            return fail(m_printer.m_lineError);
        document.lines << line;
        return true;
    }

    bool finish() override {
        auto& document = m_printer.m_documents[m_document];
        if (document.finished)
            return fail(QStringLiteral("the document has ended"));
        document.finished = true;
        return true;
    }

    QString errorText() const override { return m_error; }

private:
    bool fail(const QString& error) {
        m_error = error;
        return false;
    }

    RecordingPrinter& m_printer;
    std::size_t m_document;
    QString m_error;
};

void RecordingPrinter::failAfterLines(int lines, const QString& error) {
    m_lineLimit = lines;
    m_lineError = error;
}

bool RecordingPrinter::refused() {
    m_cancelled = m_actCancelled;
    m_error = m_actCancelled ? QString() : m_beginError;
    return m_cancelled || !m_error.isEmpty();
}

std::unique_ptr<TextPrintJob> RecordingPrinter::beginText(const QString& documentName) {
    if (refused())
        return nullptr;
    m_documents.push_back({documentName, {}, false});
    return std::make_unique<RecordingTextJob>(*this, m_documents.size() - 1);
}

bool RecordingPrinter::printWindow(QWidget* window) {
    if (refused())
        return false;
    if (!window) {
        m_error = QStringLiteral("the window has no image to print");
        return false;
    }
    m_windows << window->objectName();
    return true;
}

} // namespace tarnix::platform
