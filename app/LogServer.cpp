#include "LogServer.h"

#include "core/AlarmCommand.h"
#include "core/Recorder.h"
#include "http/PageRoutes.h"
#include "mqtt/ReadingPublisher.h"
#include "records/OutputName.h"

#include <QFileInfo>

namespace tarnix::app {

std::variant<ServerPlan, QString> serverPlan(const QString& http) {
    QString error;
    const auto listen = http::parseListenAddress(http, &error);
    if (!listen)
        return error;
    const auto token =
        http::serverToken(*listen,
                          {qgetenv("TARNIX_HTTP_TOKEN"), qEnvironmentVariable("CREDENTIALS_DIRECTORY")},
                          &error);
    if (!token)
        return error;
    return ServerPlan{*listen, *token};
}

LogServer::LogServer(ServerPlan plan, http::ServedFiles::Lister files)
    : m_bench(m_board), m_files(http::ServedFiles(std::move(files)), m_clock),
      m_server(plan.listen, plan.token, [this](const http::Request& request) {
          if (auto r = m_bench.respond(request))
              return *r;
          if (auto r = m_files.respond(request))
              return *r;
          if (auto r = http::pageResponse(request))
              return *r;
          return http::plainAnswer(404, "404 not found: " + request.path);
      }) {}

LogServer::~LogServer() {
    // The event streams end their waits first, then the server stops.
    m_board.close();
    m_server.stop();
}

bool LogServer::start(QString* error) {
    return m_server.start(error);
}

RecordedFiles::RecordedFiles(const core::RecordOptions& options) : m_options(options) {}

void RecordedFiles::sampleAt(const QDateTime& at) {
    if (m_options.output.isEmpty() || m_options.toStandardOutput())
        return;
    const QString path = records::outputNameAt(m_options.output, at, m_options.utc);
    const std::lock_guard lock(m_mutex);
    if (m_paths.isEmpty() || m_paths.last() != path)
        m_paths.removeAll(path), m_paths.append(path);
}

QStringList RecordedFiles::paths() const {
    QStringList named;
    {
        const std::lock_guard lock(m_mutex); // a copy only: sampling never waits on a disk
        named = m_paths;
    }
    QStringList there;
    for (const QString& path : named)
        if (QFileInfo::exists(path))
            there.append(path);
    return there;
}

BenchPoster::BenchPoster(http::BenchBoard& board, core::Recorder& recorder,
                         const core::RecordOptions& options, RecordedFiles& files,
                         mqtt::ReadingPublisher* publisher, core::AlarmCommand* alarmCommand)
    : m_board(board), m_recorder(recorder), m_gaps(options.interval), m_publisher(publisher) {
    m_status.recording = true;
    m_status.publishing = publisher != nullptr;
    connect(&recorder, &core::Recorder::sampleRecorded, this,
            [this, &files](const QDateTime& at, const meter::Measurement& measurement,
                           const records::SampleAlarm& alarm) {
                files.sampleAt(at);
                m_status.reading = measurement;
                m_status.alarm = alarm;
                m_status.lastSample = at;
                ++m_status.samples;
                m_status.gaps += !m_gaps.lineWritten(at).isEmpty();
                post();
            });
    connect(&recorder, &core::Recorder::statusChanged, this, [this] { post(); });
    if (publisher)
        connect(publisher, &mqtt::ReadingPublisher::stateChanged, this, [this] { post(); });
    if (alarmCommand)
        connect(alarmCommand, &core::AlarmCommand::started, this, [this] {
            ++m_status.onAlarmRuns;
            post();
        });
    post();
}

void BenchPoster::post() {
    const core::SharedState& state = m_recorder.state();
    m_status.model = state.texts.model;
    m_status.port = state.link.portLabel;
    m_status.meterAnswers = state.link.readingCurrent;
    m_status.lines = m_recorder.lines();
    m_status.state = m_recorder.status();
    if (m_publisher) {
        m_status.mqttQueued = m_publisher->queued();
        m_status.mqttLost = m_publisher->lost();
    }
    m_board.post(m_status);
}

} // namespace tarnix::app
