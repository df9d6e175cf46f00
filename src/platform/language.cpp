#include "platform/language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace platform {

bool useGermanTexts()
{
    static QTranslator *installed = nullptr;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    if (installed)
        return true;
    auto *translator = new QTranslator(QCoreApplication::instance());
    // Where Qt keeps its translations, or beside the program on a machine
    // where it was installed with its own copy of Qt.
    const QStringList places{QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                             QCoreApplication::applicationDirPath() + QStringLiteral("/translations")};
    for (const QString &dir : places) {
        if (translator->load(QStringLiteral("qtbase_de"), dir)) {
            QCoreApplication::installTranslator(translator);
            installed = translator;
            return true;
        }
    }
    delete translator;
    return false;
}

} // namespace platform
