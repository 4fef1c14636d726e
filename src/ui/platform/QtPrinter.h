#pragma once

#include "platform/Printer.h"

namespace tarnix::platform {
class Dialogs;
} // namespace tarnix::platform

namespace tarnix::ui {

// The printer over Qt: the system's default printer, or a PDF file that the
// user names when the system has no printer. Text prints in a fixed-pitch
// font so that list columns line up; pages break when full, with no header
// or footer.
class QtPrinter final : public platform::Printer {
public:
    enum class Output {
        SystemPrinter, // the default printer; a PDF file where there is none
        PdfFile,       // always a PDF file
    };

    explicit QtPrinter(platform::Dialogs& dialogs, Output output = Output::SystemPrinter);

    std::unique_ptr<platform::TextPrintJob> beginText(const QString& documentName) override;
    bool printWindow(QWidget* window) override;
    QString errorText() const override { return m_error; }
    bool cancelled() const override { return m_cancelled; }

private:
    platform::Dialogs& m_dialogs;
    Output m_output;
    QString m_error;
    bool m_cancelled = false;
};

} // namespace tarnix::ui
