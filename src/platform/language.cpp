#include "platform/language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace platform {

namespace {

// Qt's own words in the program's windows, for a machine where Qt's
// German translations are missing: the button of a message box that
// shows the technical details behind its text.
class FallbackTexts final : public QTranslator
{
public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char *context, const char *source, const char *, int) const override
    {
        if (qstrcmp(context, "QMessageBox") != 0)
            return {};
        if (qstrcmp(source, "Show Details...") == 0)
            return QStringLiteral("Details einblenden...");
        if (qstrcmp(source, "Hide Details...") == 0)
            return QStringLiteral("Details ausblenden...");
        return {};
    }
};

} // namespace

bool useGermanTexts()
{
    static QTranslator *installed = nullptr;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    if (installed)
        return !dynamic_cast<FallbackTexts *>(installed);
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
    installed = new FallbackTexts(QCoreApplication::instance());
    QCoreApplication::installTranslator(installed);
    return false;
}

} // namespace platform
