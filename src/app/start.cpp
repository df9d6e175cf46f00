#include "start.h"

#include "application.h"
#include "mainform.h"
#include "startplace.h"
#include "exchange/filetransfer.h"
#include "platform/messages.h"
#include "platform/singleinstance.h"
#include "store/settings.h"
#include "store/storeerror.h"
#include "store/tablefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace lernora {

namespace {

// The program directory holds the settings file and the recovery file of
// the report editor; both are written under a new name and then renamed.
void checkProgramDirectory(const store::Places &places)
{
    const QString dir = places.programDir();
    if (const QString problem = store::directoryWriteProblem(dir); !problem.isEmpty())
        throw store::StoreError(QStringLiteral("Ordner %1:\n%2\nDort speichert Lernora seine Einstellungen und "
                                               "ungesicherte Berichtstexte.")
                                    .arg(QDir::toNativeSeparators(dir), problem));
    const QString ini = places.settingsFile();
    QFile file(ini);
    if (QFileInfo(ini).isDir() || (file.exists() && !file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly)))
        throw store::StoreError(QStringLiteral("Einstellungsdatei %1:\nSie ist schreibgeschützt, gesperrt oder keine "
                                               "Datei; Lernora könnte seine Einstellungen nicht speichern.")
                                    .arg(QDir::toNativeSeparators(ini)));
}

// What the apprentice can do about a data folder the program cannot work
// in, when the refusal itself says nothing: the program cannot put a backup
// back before it runs.
QString startAdvice(const store::Places &places)
{
    return QStringLiteral("Bitte prüfen Sie die genannte Datei oder den Ordner. Ist eine Tabellendatei beschädigt, "
                          "leer oder fehlt sie, kopieren Sie die Dateien aus dem neuesten Ordner in „%1“ (oder aus "
                          "Ihrem letzten Export) in den Ordner „%2“. Ist etwas schreibgeschützt, heben Sie den "
                          "Schreibschutz auf. Starten Sie Lernora dann noch einmal.")
        .arg(QDir::toNativeSeparators(places.backupRoot()), QDir::toNativeSeparators(places.dataDir()));
}

} // namespace

Started::Started() = default;
Started::Started(Started &&) noexcept = default;
Started::~Started() = default;

Started start(const QStringList &arguments, const QString &userDir)
{
    Started started;
    const StartPlace place = chooseStartPlace(arguments, QDir::currentPath(), userDir);
    if (place.kind == StartPlace::Kind::Invalid) {
        platform::messages().error(place.problem);
        started.exitCode = 2;
        return started;
    }

    // A second start brings the running program to the front and ends.
    started.guard = std::make_unique<platform::SingleInstance>(QStringLiteral("Berichtsheft"));
    if (!started.guard->acquire()) {
        started.guard.reset();
        return started;
    }

    // From here on every file is found through the places, whatever the
    // working directory.
    const store::Places places(place.directory);
    try {
        enterStartPlace(place);
        checkProgramDirectory(places);
        // No other instance runs: what a crash left behind can go.
        exchange::removeLeftovers(places.programDir());
        started.program = std::make_unique<Application>(places);
    } catch (const store::StoreError &e) {
        QString text = e.message() + QStringLiteral("\n\nDas Programm kann nicht gestartet werden.");
        if (place.kind == StartPlace::Kind::Current
            && !QFileInfo(places.dataDir()).isDir())
            text += QStringLiteral("\n\n") + howToStart(userDir);
        else if (!platform::saysWhatToDo(e.message()))
            text += QStringLiteral("\n\n") + startAdvice(places);
        started.guard.reset();
        platform::messages().error(text, e.detail());
        started.exitCode = 1;
        return started;
    }
    TMainForm *main = started.program->mainForm();
    QObject::connect(started.guard.get(), &platform::SingleInstance::activationRequested, main, [main] {
        main->showNormal();
        main->raise();
        main->activateWindow();
    });
    main->show();
    started.program->offerRecovery();
    return started;
}

} // namespace lernora
