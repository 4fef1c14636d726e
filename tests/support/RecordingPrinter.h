#pragma once

#include "platform/Printer.h"

#include <QStringList>
#include <vector>

namespace tarnix::platform {

// The printer of the tests: keeps every document and window image instead of
// printing it, and can be told to fail or to act as if the user cancelled.
// Its jobs must not outlive it.
class RecordingPrinter final : public Printer {
public:
    struct Document {
        QString name;
        QStringList lines;
        bool finished = false;
    };

    std::unique_ptr<TextPrintJob> beginText(const QString& documentName) override;
    bool printWindow(QWidget* window) override;
    QString errorText() const override { return m_error; }
    bool cancelled() const override { return m_cancelled; }

    // From now on, a document's line after its first `lines` fails with `error`.
    void failAfterLines(int lines, const QString& error = QStringLiteral("out of paper"));
    // From now on, documents and window images fail at once with `error` (empty: they don't).
    void failToBegin(const QString& error) { m_beginError = error; }
    // From now on, the user cancels every document and window image.
    void actCancelled(bool cancelled = true) { m_actCancelled = cancelled; }

    // Every document begun, finished or not, in order.
    const std::vector<Document>& documents() const { return m_documents; }
    // The objectName of every window whose image was printed, in order.
    const QStringList& windowsPrinted() const { return m_windows; }

private:
    friend class RecordingTextJob;
    bool refused();

    std::vector<Document> m_documents;
    QStringList m_windows;
    QString m_error;
    bool m_cancelled = false;
    bool m_actCancelled = false;
    QString m_beginError;
    int m_lineLimit = -1; // -1: no limit
    QString m_lineError;
};

} // namespace tarnix::platform
