#include "http/FileRoutes.h"

#include "core/TrendSource.h"
#include "http/ProducedBody.h"
#include "http/RecordedLines.h"
#include "http/SliceReadings.h"
#include "http/TrendColumns.h"

namespace tarnix::http {

namespace {

// A few trends are kept: the whole recording and some files of it.
constexpr std::size_t KeptTrends = 4;

Response json(const QByteArray& body) {
    Response r;
    r.contentType = "application/json";
    r.body = body + '\n';
    return r;
}

// ?from= and ?to=, as convert's --from and --to take them; a "+" of an
// offset that the query made a blank is taken back. An error text when one
// does not do.
QByteArray takeSlice(const Request& request, analysis::TimeSlice& slice) {
    for (const char* end : {"from", "to"}) {
        QByteArray text = request.argument(end);
        if (text.isEmpty())
            continue;
        const auto ms = analysis::sliceTime(QString::fromUtf8(text.replace(' ', '+')));
        if (!ms)
            return "400 " + QByteArray(end) +
                   " takes an ISO 8601 time such as 2026-12-05T08:00 or 2026-12-05T07:00Z";
        (end[0] == 'f' ? slice.from : slice.to) = *ms;
    }
    if (slice.from && slice.to && *slice.from >= *slice.to)
        return "400 from must come before to";
    return {};
}

} // namespace

FileRoutes::FileRoutes(ServedFiles files, const platform::Clock& clock)
    : m_files(std::move(files)), m_clock(clock) {}

FileRoutes::~FileRoutes() = default;

std::optional<Response> FileRoutes::respond(const Request& request) {
    const bool files = request.path == "/api/files", readings = request.path == "/api/readings",
               trended = request.path == "/api/trend";
    if (!files && !readings && !trended)
        return std::nullopt;
    const QByteArray name = request.argument("file");
    const auto paths = m_files.paths(name);
    if (!paths)
        return plainAnswer(404, "404 no file named " + name + ": /api/files lists them");
    if (files) {
        std::vector<FileFacts> facts;
        const QStringList names = name.isEmpty() ? servedNames(*paths) : QStringList{QString::fromUtf8(name)};
        for (qsizetype i = 0; i < paths->size(); ++i)
            facts.push_back(fileFacts((*paths)[i], names[i]));
        return json(filesJson(facts));
    }
    const Recording recording = recordingOf(*paths);
    const QByteArray written = http::formatName(recording.format);
    const bool asWritten = recording.format != records::RecordingFormat::Dat;
    if (trended && asWritten)
        return plainAnswer(422, "422 the trend reads data files, and this recording is written as " +
                                    written + ": record with --format dat for a trend");
    if (trended)
        return trend(recording.paths, request);
    analysis::TimeSlice slice;
    if (const QByteArray problem = takeSlice(request, slice); !problem.isEmpty())
        return plainAnswer(400, problem);
    const QByteArray formatName = request.argument("format");
    const auto format = readingsFormatNamed(
        !formatName.isEmpty() ? formatName : asWritten ? written : QByteArray("csv"));
    if (!format)
        return plainAnswer(400, "400 format takes csv, jsonl or dat, not \"" + formatName + '"');
    if (asWritten && formatName != written && !formatName.isEmpty())
        return plainAnswer(400, "400 this recording is written as " + written +
                                    ", and its readings come as written: format=" + written);
    if (++*m_streams > MaxStreams) {
        --*m_streams;
        Response busy = plainAnswer(503, "503 " + QByteArray::number(MaxStreams) +
                                             " downloads of readings run already: try again");
        busy.headers.emplace_back("Retry-After", "5");
        return busy;
    }
    // The slot is given back when the writer is done with it.
    const std::shared_ptr<void> slot(nullptr, [streams = m_streams](void*) { --*streams; });
    static const char* const Types[] = {"text/csv; charset=utf-8", "application/jsonl",
                                        "text/plain; charset=utf-8"};
    Response r;
    r.contentType = Types[int(*format)];
    r.stream = std::make_shared<ProducedBody>(
        [paths = recording.paths, slice, format = *format, asWritten, slot](const ProducedBody::Write& write) {
            if (asWritten)
                writeRecordedLines(paths, slice, write);
            else
                writeReadings(paths, slice, format, write);
        });
    return r;
}

Response FileRoutes::trend(const QStringList& paths, const Request& request) {
    analysis::TimeSlice slice;
    if (const QByteArray problem = takeSlice(request, slice); !problem.isEmpty())
        return plainAnswer(400, problem);
    int columns = DefaultColumns;
    if (const QByteArray text = request.argument("columns"); !text.isEmpty()) {
        bool ok = false;
        columns = text.toInt(&ok);
        if (!ok || columns < 1 || columns > MaxColumns || text.startsWith('+'))
            return plainAnswer(400, "400 columns takes a whole number from 1 to " +
                                        QByteArray::number(MaxColumns));
    }
    const std::shared_ptr<KeptTrend> kept = keptTrend(paths);
    const std::lock_guard lock(kept->mutex);
    QString error;
    if (!kept->source) {
        auto source = std::make_unique<core::TrendSource>(paths, m_clock);
        if (!source->load(&error)) {
            forget(paths, kept);
            return plainAnswer(500, "500 " + error.toUtf8());
        }
        kept->source = std::move(source);
    } else if (kept->source->readMore(&error) == core::TrendSource::Growth::Failed) {
        forget(paths, kept);
        kept->source.reset();
        return plainAnswer(500, "500 " + error.toUtf8());
    }
    const core::TrendSource* const source = kept->source.get();
    const trend::TrendData& data = source->data();
    const qint64 from = slice.from.value_or(data.firstMs().value_or(0));
    const qint64 to = slice.to.value_or(data.lastMs() ? *data.lastMs() + 1 : from + 1);
    if (to <= from)
        return plainAnswer(400, "400 from must come before to");
    return json(trendColumnsJson(data, from, to, columns));
}

std::shared_ptr<FileRoutes::KeptTrend> FileRoutes::keptTrend(const QStringList& paths) {
    const std::lock_guard lock(m_trendsMutex);
    if (!m_trends.contains(paths) && m_trends.size() >= KeptTrends)
        m_trends.clear(); // one still being read lives on with its request
    std::shared_ptr<KeptTrend>& kept = m_trends[paths];
    if (!kept)
        kept = std::make_shared<KeptTrend>();
    return kept;
}

void FileRoutes::forget(const QStringList& paths, const std::shared_ptr<KeptTrend>& trend) {
    const std::lock_guard lock(m_trendsMutex);
    if (const auto at = m_trends.find(paths); at != m_trends.end() && at->second == trend)
        m_trends.erase(at);
}

} // namespace tarnix::http
