#include "http/PageRoutes.h"

#include <QFile>

namespace tarnix::http {

namespace {

struct PageFile {
    const char* path;
    const char* resource;
    const char* type;
};

constexpr PageFile Files[] = {
    {"/", ":/page/index.html", "text/html; charset=utf-8"},
    {"/app.js", ":/page/app.js", "text/javascript; charset=utf-8"},
    {"/app.css", ":/page/app.css", "text/css; charset=utf-8"},
};

// The page runs its own script and style only, and talks to this server only.
constexpr const char* Policy = "default-src 'none'; script-src 'self'; style-src 'self'; "
                               "connect-src 'self'; img-src 'self'; base-uri 'none'; "
                               "form-action 'none'; frame-ancestors 'none'";

} // namespace

std::optional<Response> pageResponse(const Request& request) {
    for (const PageFile& file : Files) {
        if (request.path != file.path)
            continue;
        QFile resource(QString::fromLatin1(file.resource));
        if (!resource.open(QIODevice::ReadOnly))
            return plainAnswer(500, "500 the page is missing from this build");
        Response r;
        r.contentType = file.type;
        r.body = resource.readAll();
        r.headers.emplace_back("Content-Security-Policy", Policy);
        r.headers.emplace_back("Referrer-Policy", "no-referrer");
        return r;
    }
    return std::nullopt;
}

} // namespace tarnix::http
