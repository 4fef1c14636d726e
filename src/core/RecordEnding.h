#pragma once

#include <QString>

namespace tarnix::core {

// How `tarnix-log record` ends once its recorder has finished: the parts that
// end after it (the broker's queue, the alarm command) run their grace side
// by side, and the run exits with the last of them. Readings the broker
// never got are said; without an output file nothing else holds them, so
// they fail the run.
class RecordEnding {
public:
    explicit RecordEnding(bool writesFile) : m_writesFile(writesFile) {}

    // The recorder finished with `code`; `parts` more end after it, each
    // telling partEnded(). The caller tells partEnded() once more when it has
    // set them all going, so a part that ends at once cannot end the run early.
    void recorderFinished(int code, int parts);
    // The broker's queue closed with `undelivered` readings still in it: the
    // warning to say, or an empty text.
    QString brokerClosed(qint64 undelivered);
    // True for the last part to end: the run then exits with exitCode().
    bool partEnded() { return --m_stillEnding == 0; }
    int exitCode() const { return m_exitCode; }

private:
    bool m_writesFile;
    int m_exitCode = 0;
    int m_stillEnding = 0;
};

} // namespace tarnix::core
