#include "basicdatadialog.h"

#include "controls/designed.h"
#include "platform/help.h"
#include "platform/messages.h"
#include "platform/modalrunner.h"
#include "store/session.h"
#include "store/settings.h"
#include "store/settingskeys.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace keys = store::settingskeys;

namespace {

// The keys in the order OK writes them; a key without an edit (the first
// names) is always written empty. The field's name as messages give it.
struct Key
{
    QLatin1String section;
    QLatin1String key;
    const char *edit;
    const char *field;
};
const Key writtenKeys[] = {
    {keys::Stift, keys::Name, "azubiname", "„Name“ des Auszubildenden"},
    {keys::Stift, keys::VorName, nullptr, nullptr},
    {keys::Stift, keys::Gebdat, "azubigebdat", "„Geburtsdatum“"},
    {keys::Stift, keys::Ort, "azubiort", "„Ort“ des Auszubildenden"},
    {keys::Stift, keys::Strasse, "azubistrasse", "„Straße“ des Auszubildenden"},
    {keys::Stift, keys::AZvom, "azvom", "„Vertragliche Ausbildungszeit vom“"},
    {keys::Stift, keys::AZbis, "azbis", "„Vertragliche Ausbildungszeit bis“"},
    {keys::Stift, keys::ABNStart, "abnstart", "„Ausbildungsnachweis begonnen am“"},
    {keys::Stift, keys::ABNEnde, "abnende", "„Ausbildungsnachweis abgeschlossen am“"},
    {keys::BKM, keys::Name, "abname", "„Name“ des Ausbildenden"},
    {keys::BKM, keys::VorName, nullptr, nullptr},
    {keys::BKM, keys::Ort, "abort", "„Ort“ des Ausbildenden"},
    {keys::BKM, keys::Strasse, "abstrasse", "„Straße“ des Ausbildenden"},
    {keys::BKM, keys::Innung, "abinnung", "„Innung“"},
};

// The edits with their labels, as designed. The labels end just before
// their edit, so that they fit whatever the font makes of them.
struct Field
{
    const char *edit;
    int x, y, width;
    const char *label;
    QString caption;
    QString description; // for screen readers: what the label alone leaves open
};

} // namespace

Tgrunddatendlg::Tgrunddatendlg(const store::Places &places, store::Session &session, QWidget *parent)
    : QDialog(parent), m_places(places), m_session(session)
{
    setObjectName(QStringLiteral("grunddatendlg"));
    setWindowTitle(QStringLiteral("Grunddaten"));
    platform::setHelpContext(this, platform::helpcontext::BasicData);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    // The labels stand at fixed places: the narrower Arial keeps the longest
    // of them clear of its edit, as in the report editor.
    setFont(QFont(QStringLiteral("Arial"), 8));
    setFixedSize(633, 447);

    QFont bold = font();
    bold.setBold(true);
    for (QLabel *heading : {controls::designedLabel(this, "Label1", QStringLiteral("Auszubildender:"), QPoint(16, 12)),
                            controls::designedLabel(this, "Label6", QStringLiteral("Ausbildender"), QPoint(16, 164))}) {
        heading->setFont(bold);
        heading->adjustSize();
    }

    const Field fields[] = {
        {"azubiname", 83, 36, 209, "Label2", QStringLiteral("&Name"), QStringLiteral("des Auszubildenden")},
        {"azubigebdat", 83, 68, 209, "Label3", QStringLiteral("&Geburtsdatum"), QStringLiteral("TT.MM.JJJJ")},
        {"azubiort", 83, 100, 209, "Label4", QStringLiteral("&Ort"), QStringLiteral("des Auszubildenden")},
        {"azubistrasse", 384, 100, 209, "Label5", QStringLiteral("&Straße"), QStringLiteral("des Auszubildenden")},
        {"abname", 83, 188, 209, "Label7", QStringLiteral("Na&me"), QStringLiteral("des Ausbildenden")},
        {"abort", 83, 220, 209, "Label8", QStringLiteral("O&rt"), QStringLiteral("des Ausbildenden")},
        {"abstrasse", 384, 220, 209, "Label9", QStringLiteral("S&traße"), QStringLiteral("des Ausbildenden")},
        {"abinnung", 83, 252, 209, "Label10", QStringLiteral("&Innung"), QStringLiteral("des Ausbildenden")},
        {"azvom", 224, 308, 97, "Label11", QStringLiteral("Vertragliche Ausbildungszeit &vom "),
         QStringLiteral("TT.MM.JJJJ")},
        {"azbis", 352, 308, 97, "Label12", QStringLiteral("&bis"),
         QStringLiteral("Ende der vertraglichen Ausbildungszeit, TT.MM.JJJJ")},
        {"abnstart", 224, 340, 97, "Label13", QStringLiteral("Ausbildungsnachweis begonnen &am:"),
         QStringLiteral("TT.MM.JJJJ")},
        {"abnende", 224, 364, 97, "Label14", QStringLiteral("Ausbildungsnachweis abgesch&lossen am:"),
         QStringLiteral("TT.MM.JJJJ")},
    };
    for (const Field &f : fields) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QLatin1String(f.edit));
        edit->setGeometry(f.x, f.y, f.width, 21);
        QLabel *label = controls::designedLabel(this, f.label, f.caption.trimmed(), QPoint());
        label->setGeometry(f.x - 6 - label->width(), f.y, label->width(), edit->height());
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setBuddy(edit);
        edit->setAccessibleDescription(f.description);
    }

    QPushButton *ok = controls::designedButton(this, "OKBtn", QStringLiteral("O&K"), QRect(504, 344, 90, 25));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    QPushButton *cancel =
        controls::designedButton(this, "CancelBtn", QStringLiteral("Abbre&chen"), QRect(504, 384, 90, 25));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QLineEdit *Tgrunddatendlg::edit(const char *name) const
{
    return findChild<QLineEdit *>(QLatin1String(name));
}

bool Tgrunddatendlg::execute()
{
    load();
    edit("azubiname")->setFocus();
    if (platform::modalRunner().run(*this) != QDialog::Accepted)
        return false;
    m_session.trainerName = edit("abname")->text();
    m_session.apprenticeName = edit("azubiname")->text();
    return true;
}

void Tgrunddatendlg::load()
{
    const store::Settings ini(m_places.settingsFile());
    for (const Key &k : writtenKeys)
        if (k.edit)
            edit(k.edit)->setText(ini.readString(k.section, k.key));
}

void Tgrunddatendlg::accept()
{
    // Nothing is stored while one field holds what the file cannot take.
    for (const Key &k : writtenKeys) {
        if (!k.edit)
            continue;
        QLineEdit *e = edit(k.edit);
        if (const QString c = store::unstorableCharacter(e->text()); !c.isEmpty()) {
            platform::messages().error(
                QStringLiteral(
                    "Das Zeichen %1 im Feld %2 kann nicht gespeichert werden: Die Grunddaten stehen in einer "
                    "Datei, die nur Zeichen westeuropäischer Sprachen aufnehmen kann. Bitte ersetzen Sie "
                    "das Zeichen (zum Beispiel „Ł“ durch „L“).\nDie Grunddaten wurden nicht gespeichert.")
                    .arg(store::describeCharacter(c), QString::fromUtf8(k.field)));
            e->setFocus();
            e->setSelection(int(e->text().indexOf(c)), int(c.size()));
            return;
        }
    }
    if (!save()) {
        platform::messages().error(QStringLiteral("Die Grunddaten wurden NICHT gespeichert: Die Datei %1 konnte nicht "
                                                  "geschrieben werden. Sie ist unverändert geblieben.")
                                       .arg(QDir::toNativeSeparators(m_places.settingsFile())));
        return;
    }
    QDialog::accept();
}

bool Tgrunddatendlg::save()
{
    QList<store::Settings::Value> values;
    for (const Key &k : writtenKeys)
        values.append({k.section, k.key, k.edit ? edit(k.edit)->text() : QString()});
    return store::Settings(m_places.settingsFile()).writeStrings(values);
}
