#pragma once

#include "core/LineGaps.h"
#include "core/RecorderOptions.h"
#include "http/BenchBoard.h"
#include "http/BenchRoutes.h"
#include "http/FileRoutes.h"
#include "http/HttpServer.h"
#include "platform/RealClock.h"

#include <QObject>
#include <mutex>
#include <variant>

namespace tarnix::core {
class AlarmCommand;
class Recorder;
} // namespace tarnix::core
namespace tarnix::mqtt {
class ReadingPublisher;
}

// tarnix-log's web server: where --http listens and who it lets in, the
// routes it answers, and the bench's status posted to it by the recorder.
namespace tarnix::app {

// serve's port when --http names none.
inline constexpr quint16 ServePort = 8470;

struct ServerPlan {
    http::ListenAddress listen;
    QByteArray token;
};
// --http's value, with the token from the environment or systemd's
// credential; the reason, for a usage error, when it does not do.
std::variant<ServerPlan, QString> serverPlan(const QString& http);

// The server and its routes: the bench (/metrics, /api/status, /events),
// the recorded files, and the live page.
class LogServer {
public:
    LogServer(ServerPlan plan, http::ServedFiles::Lister files);
    ~LogServer();
    bool start(QString* error);
    quint16 port() const { return m_server.port(); }
    http::BenchBoard& board() { return m_board; }

private:
    platform::RealClock m_clock; // the trend's, to tell when a file was left alone
    http::BenchBoard m_board;
    http::BenchRoutes m_bench;
    http::FileRoutes m_files;
    http::HttpServer m_server;
};

// The files a recording writes, for the server's threads: the one file, or
// each file its name turned over to. Data files only: the API reads those.
class RecordedFiles {
public:
    explicit RecordedFiles(const core::RecordOptions& options);
    void sampleAt(const QDateTime& at);
    QStringList paths() const;

private:
    const core::RecordOptions& m_options;
    mutable std::mutex m_mutex;
    QStringList m_paths;
};

// Posts the bench to the board after every sample and status change; a
// post copies the status under a lock and never waits for a client.
class BenchPoster : public QObject {
public:
    BenchPoster(http::BenchBoard& board, core::Recorder& recorder,
                const core::RecordOptions& options, RecordedFiles& files,
                mqtt::ReadingPublisher* publisher, core::AlarmCommand* alarmCommand);

private:
    void post();

    http::BenchBoard& m_board;
    core::Recorder& m_recorder;
    http::BenchStatus m_status;
    core::LineGaps m_gaps;
    mqtt::ReadingPublisher* m_publisher;
};

// record --http: the server, the files it offers and what posts to it.
class RecordingServer {
public:
    RecordingServer(ServerPlan plan, core::Recorder& recorder, const core::RecordOptions& options,
                    mqtt::ReadingPublisher* publisher, core::AlarmCommand* alarmCommand)
        : m_files(options), m_server(std::move(plan), [this] { return m_files.paths(); }),
          m_poster(m_server.board(), recorder, options, m_files, publisher, alarmCommand) {}
    bool start(QString* error) { return m_server.start(error); }

private:
    RecordedFiles m_files;
    LogServer m_server;
    BenchPoster m_poster;
};

} // namespace tarnix::app
