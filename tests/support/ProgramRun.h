#pragma once

#include <QEventLoop>
#include <QProcess>
#include <QTimer>
#include <csignal>
#include <functional>

// Runs the event loop until `done` holds, looking again every 50 ms (files
// and pipes fill without telling anyone); false after `ms` without it.
inline bool waitUntil(const std::function<bool()>& done, int ms = 10000) {
    if (done())
        return true;
    QEventLoop loop;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    look.start(50);
    loop.exec();
    return done();
}

// One of the project's programs run as a process, its output gathered as it
// comes; killed if still running when the test ends.
class ProgramRun {
public:
    explicit ProgramRun(const QString& program) : m_program(program) {
        QObject::connect(&m_process, &QProcess::readyReadStandardOutput,
                         [this] { m_out += m_process.readAllStandardOutput(); });
        QObject::connect(&m_process, &QProcess::readyReadStandardError,
                         [this] { m_err += m_process.readAllStandardError(); });
    }
    // Asked to end first, so that it removes what it made (a port's lock file).
    ~ProgramRun() {
        if (running()) {
            m_process.terminate();
            if (!m_process.waitForFinished(2000))
                m_process.kill();
            m_process.waitForFinished(2000);
        }
    }

    void start(const QStringList& arguments) { m_process.start(m_program, arguments); }
    QProcess& process() { return m_process; }
    const QByteArray& out() const { return m_out; }
    const QByteArray& err() const { return m_err; }
    bool running() const { return m_process.state() != QProcess::NotRunning; }
    void signal(int number) { ::kill(pid_t(m_process.processId()), number); }
    // Long enough for a run of a few seconds of the meter's own timing on a
    // loaded machine; a run that ends sooner is not waited for.
    bool finished(int ms = 15000) { return waitUntil([this] { return !running(); }, ms); }

    // The first line on standard output (the simulator's device path), once it is there.
    QString firstLine(int ms = 5000) {
        if (!waitUntil([this] { return m_out.contains('\n'); }, ms))
            return {};
        return QString::fromLocal8Bit(m_out.left(m_out.indexOf('\n')));
    }

private:
    QString m_program;
    QProcess m_process;
    QByteArray m_out;
    QByteArray m_err;
};
