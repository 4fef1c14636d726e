#pragma once

#include "http/Exchange.h"
#include "http/ServedFiles.h"

#include <QStringList>
#include <atomic>
#include <map>
#include <memory>
#include <mutex>

namespace tarnix::core {
class TrendSource;
}
namespace tarnix::platform {
class Clock;
}

namespace tarnix::http {

// What the server answers about the recorded files: /api/files,
// /api/readings and /api/trend. Anything else is for the next handler.
class FileRoutes {
public:
    FileRoutes(ServedFiles files, const platform::Clock& clock);
    ~FileRoutes();
    // Nothing when the path is not one of these.
    std::optional<Response> respond(const Request& request);

    static constexpr int MaxColumns = 4000;
    static constexpr int DefaultColumns = 1000;
    // Readings streamed at once, each some 3 MiB of buffers; more wait their turn (503).
    static constexpr int MaxStreams = 8;

private:
    Response trend(const QStringList& paths, const Request& request);

    // A trend asked for: read once, then followed as its last file grows.
    // One request at a time reads it; a year's first read holds up no other trend.
    struct KeptTrend {
        std::mutex mutex;
        std::unique_ptr<core::TrendSource> source;
    };
    std::shared_ptr<KeptTrend> keptTrend(const QStringList& paths);
    void forget(const QStringList& paths, const std::shared_ptr<KeptTrend>& trend);

    ServedFiles m_files;
    std::shared_ptr<std::atomic<int>> m_streams = std::make_shared<std::atomic<int>>(0);
    const platform::Clock& m_clock;
    std::mutex m_trendsMutex; // over the map alone, never while a file is read
    std::map<QStringList, std::shared_ptr<KeptTrend>> m_trends;
};

} // namespace tarnix::http
