#include "startplace.h"

#include "store/install.h"
#include "store/storeerror.h"

#include <QDir>
#include <QFileInfo>

namespace lernora {

namespace {

const QString optionUser = QStringLiteral("--benutzerdaten");
const QString optionDir = QStringLiteral("--daten-ordner");

StartPlace invalid(const QString &problem)
{
    return {StartPlace::Kind::Invalid, {}, problem + QStringLiteral("\n\n") + howToStart(QString())};
}

} // namespace

StartPlace chooseStartPlace(const QStringList &arguments, const QString &currentDir, const QString &userDir)
{
    StartPlace place{StartPlace::Kind::Current, QDir(currentDir).absolutePath(), {}};
    bool chosen = false;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &arg = arguments[i];
        QString dir;
        if (arg == optionUser) {
            dir = userDir;
        } else if (arg == optionDir || arg.startsWith(optionDir + QLatin1Char('='))) {
            if (arg == optionDir) {
                if (i + 1 >= arguments.size() || arguments[i + 1].isEmpty())
                    return invalid(QStringLiteral("Nach %1 fehlt der Ordner.").arg(optionDir));
                dir = arguments[++i];
            } else {
                dir = arg.mid(optionDir.size() + 1);
                if (dir.isEmpty())
                    return invalid(QStringLiteral("Nach %1 fehlt der Ordner.").arg(optionDir));
            }
        } else {
            return invalid(QStringLiteral("Lernora kennt die Angabe „%1“ nicht.").arg(arg));
        }
        if (chosen)
            return invalid(QStringLiteral("Lernora kann nur in einem Ordner arbeiten."));
        chosen = true;
        place.kind = arg == optionUser ? StartPlace::Kind::UserData : StartPlace::Kind::Chosen;
        place.directory = QDir(currentDir).absoluteFilePath(dir);
    }
    place.directory = QDir::cleanPath(place.directory);
    return place;
}

void enterStartPlace(const StartPlace &place)
{
    if (place.kind == StartPlace::Kind::Invalid)
        throw store::StoreError(place.problem);
    const QDir dir(place.directory);
    if (place.kind != StartPlace::Kind::Current && !QFileInfo::exists(dir.filePath(QStringLiteral("daten"))))
        store::installDataDirectory(place.directory);
    if (!QDir::setCurrent(place.directory))
        throw store::StoreError(QStringLiteral("Lernora kann nicht im Ordner %1 arbeiten: Es gibt ihn nicht, oder er "
                                               "ist nicht zugänglich.")
                                    .arg(QDir::toNativeSeparators(place.directory)));
}

QString howToStart(const QString &userDir)
{
    const QString where = userDir.isEmpty() ? QStringLiteral("Ihrem persönlichen Datenordner")
                                            : QStringLiteral("Ihrem persönlichen Datenordner %1")
                                                  .arg(QDir::toNativeSeparators(userDir));
    return QStringLiteral("Lernora arbeitet in dem Ordner, in dem es gestartet wird, und braucht dort den Ordner "
                          "„daten“. So starten Sie es richtig:\n"
                          "• über das Startmenü (Eintrag „Lernora“) oder mit „lernora %1“: Es arbeitet dann in %2 "
                          "und legt ihn beim ersten Start an;\n"
                          "• mit „lernora %3 ORDNER“: Es arbeitet im angegebenen Ordner und legt dort beim ersten "
                          "Start den Ordner „daten“ an;\n"
                          "• in einem Ordner, der den Ordner „daten“ enthält.")
        .arg(optionUser, where, optionDir);
}

} // namespace lernora
