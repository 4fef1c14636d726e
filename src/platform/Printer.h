#pragma once

#include <QString>
#include <memory>

class QWidget;

namespace tarnix::platform {

// One text document on its way to the printer, one line after the other.
// A job dropped before finish() is discarded.
class TextPrintJob {
public:
    virtual ~TextPrintJob() = default;
    // False when the line could not be printed (errorText() says why).
    virtual bool printLine(const QString& line) = 0;
    // Ends the document so that it prints. False when that failed.
    virtual bool finish() = 0;
    virtual QString errorText() const = 0;
};

// The printer. Windows go through this, never through QPrinter, so that
// tests can see what was printed without paper.
class Printer {
public:
    virtual ~Printer() = default;
    // A new text document; nullptr when the user cancelled or it failed (errorText()).
    virtual std::unique_ptr<TextPrintJob> beginText(const QString& documentName) = 0;
    // Prints the image of a window as shown on screen. False when cancelled or failed.
    virtual bool printWindow(QWidget* window) = 0;
    // Why the last beginText() or printWindow() failed; empty after a cancel.
    virtual QString errorText() const = 0;
    // Whether the user cancelled the last beginText() or printWindow().
    virtual bool cancelled() const = 0;
};

} // namespace tarnix::platform
