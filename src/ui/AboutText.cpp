#include "ui/AboutText.h"

#include "platform/Dialogs.h"

#include <QCoreApplication>
#include <QDir>

namespace tarnix::ui {

namespace {

// The README's folder relative to the program's own, so that it is right for
// any install prefix; run from a build folder, the source folder's README.
QString readmePath() {
    const QDir bin(QCoreApplication::applicationDirPath());
    const QString installed = QDir::cleanPath(
        bin.filePath(QDir(QStringLiteral("/" TARNIX_BIN_DIR))
                         .relativeFilePath(QStringLiteral("/" TARNIX_DOC_DIR "/README.md"))));
    return QFile::exists(installed) ? installed : QStringLiteral("README.md in the source folder");
}

} // namespace

QString aboutText() {
    return QStringLiteral("Tarnix %1\n"
                          "The PC companion of a hand-held multimeter with a data logger.\n\n"
                          "Licence: %2\n\n"
                          "README: %3\n"
                          "Manual pages: man tarnix, man tarnix-log, man tarnix-meter-sim")
        .arg(QStringLiteral(TARNIX_VERSION), QStringLiteral(TARNIX_LICENCE), readmePath());
}

void showAbout(platform::Dialogs& dialogs, QObject* window) {
    dialogs.messageFor(window, aboutText(), platform::MessageIcon::Information,
                       QStringLiteral("About Tarnix"));
}

} // namespace tarnix::ui
