#include "cli/QtOwnOptions.h"

namespace tarnix::cli {

namespace {

// The options that take the next word as their value; -style and
// -stylesheet also take it after "=". The X11 ones are Qt's only under xcb,
// and harmless elsewhere.
constexpr const char16_t* ValueOptions[] = {
    u"platform", u"platformpluginpath", u"platformtheme", u"plugin", u"qwindowgeometry",
    u"qwindowtitle", u"qwindowicon", u"session", u"style", u"stylesheet",
    // X11
    u"display", u"geometry", u"title", u"icon", u"name", u"visual"};
constexpr const char16_t* Flags[] = {u"reverse", u"widgetcount", u"testability",
                                     u"nograb",  u"dograb",      u"sync"};
// The options that take their value after "=" (-style=Fusion).
constexpr const char16_t* AttachedValue[] = {u"style=", u"stylesheet=", u"qmljsdebugger="};

template <std::size_t N> bool among(QStringView name, const char16_t* const (&names)[N]) {
    for (const char16_t* n : names)
        if (name == QStringView(n))
            return true;
    return false;
}

template <std::size_t N>
bool startsWithOneOf(QStringView name, const char16_t* const (&prefixes)[N]) {
    for (const char16_t* prefix : prefixes)
        if (name.startsWith(QStringView(prefix)))
            return true;
    return false;
}

} // namespace

QtOwnOptions splitQtOwnOptions(const QStringList& arguments) {
    QtOwnOptions split;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& word = arguments[i];
        if (i == 0 || !word.startsWith(u'-')) {
            split.rest.append(word);
            continue;
        }
        const QStringView name = QStringView(word).mid(word.startsWith(u"--") ? 2 : 1);
        if (among(name, ValueOptions)) {
            if (name == u"platform" && i + 1 < arguments.size())
                split.platform = arguments[i + 1];
            ++i; // its value, when there is one
        } else if (!among(name, Flags) && !startsWithOneOf(name, AttachedValue)) {
            split.rest.append(word);
        }
    }
    return split;
}

QString qtOwnOptionsHelp() {
    QStringList names;
    for (const char16_t* name : ValueOptions)
        names << QStringLiteral("-%1 VALUE").arg(QStringView(name));
    for (const char16_t* name : Flags)
        names << QStringLiteral("-%1").arg(QStringView(name));
    names << QStringLiteral("-qmljsdebugger=VALUE");
    QString text = QStringLiteral("\nQt's own options, taken anywhere on the line (the X11 ones "
                                  "under xcb only):\n");
    QString line = QStringLiteral(" ");
    for (const QString& name : names) {
        if (line.size() + name.size() + 2 > 79) {
            text += line + u'\n';
            line = QStringLiteral(" ");
        }
        line += u' ' + name;
    }
    return text + line + u'\n';
}

} // namespace tarnix::cli
