#include "recovery.h"

#include "domain/reports.h"
#include "platform/messages.h"
#include "store/fields.h"
#include "store/scopedview.h"
#include "store/tableset.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace field = store::field;

namespace recovery {

namespace {

// Marks a file as this program's recovery file, in this layout.
const QString marker = QStringLiteral("Lernora-Wiederherstellung");
constexpr int layout = 1;
// A recovery file holds a few texts; anything far larger is not one.
constexpr qint64 maxFileBytes = 64 * 1024 * 1024;

bool isDateField(const QString &name)
{
    return name == field::WocheVom || name == field::WocheBis || name == field::Datum;
}

} // namespace

const QStringList &textFields()
{
    static const QStringList fields = {field::WocheVom,   field::WocheBis, field::Datum,      field::Thema,
                                       field::Taetigkeit, field::Vermerke, field::Darstellung};
    return fields;
}

QString filePath()
{
    return QDir::current().filePath(QStringLiteral("bericht-wiederherstellung.json"));
}

QByteArray encode(const Sheet &sheet)
{
    QJsonObject texts;
    for (const QString &name : textFields()) {
        const QVariant v = sheet.texts.value(name);
        if (!v.isValid() || v.isNull())
            texts[name] = QJsonValue::Null;
        else if (isDateField(name))
            texts[name] = v.toDate().toString(Qt::ISODate);
        else
            texts[name] = v.toString();
    }
    QJsonObject o;
    o[QStringLiteral("Kennung")] = marker;
    o[QStringLiteral("Version")] = layout;
    o[QStringLiteral("Gespeichert")] = sheet.stored;
    // The row key as text: a JSON number does not hold every 64-bit value.
    o[field::BerLfd] = QString::number(sheet.berLfd);
    o[field::AJahr] = sheet.year;
    o[field::Nummer] = sheet.number;
    o[field::Blatt] = sheet.sheet;
    o[QStringLiteral("Texte")] = texts;
    return QJsonDocument(o).toJson();
}

std::optional<Sheet> decode(const QByteArray &bytes)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return std::nullopt;
    const QJsonObject o = doc.object();
    if (o.value(QStringLiteral("Kennung")).toString() != marker || o.value(QStringLiteral("Version")).toInt() != layout)
        return std::nullopt;
    const auto whole = [&](const QString &name, int &out) {
        const QJsonValue v = o.value(name);
        if (!v.isDouble() || v.toDouble() != double(v.toInt()))
            return false;
        out = v.toInt();
        return true;
    };
    Sheet sheet;
    bool keyOk = false;
    sheet.berLfd = o.value(field::BerLfd).toString().toLongLong(&keyOk);
    if (!o.value(QStringLiteral("Gespeichert")).isBool() || !keyOk || !whole(field::AJahr, sheet.year)
        || !whole(field::Nummer, sheet.number) || !whole(field::Blatt, sheet.sheet))
        return std::nullopt;
    sheet.stored = o.value(QStringLiteral("Gespeichert")).toBool();
    const QJsonObject texts = o.value(QStringLiteral("Texte")).toObject();
    if (texts.size() != textFields().size())
        return std::nullopt;
    for (const QString &name : textFields()) {
        if (!texts.contains(name))
            return std::nullopt;
        const QJsonValue v = texts.value(name);
        if (v.isNull()) {
            sheet.texts[name] = QVariant();
        } else if (!v.isString()) {
            return std::nullopt;
        } else if (isDateField(name)) {
            const QDate d = QDate::fromString(v.toString(), Qt::ISODate);
            if (!d.isValid())
                return std::nullopt;
            sheet.texts[name] = d;
        } else {
            sheet.texts[name] = v.toString();
        }
    }
    return sheet;
}

bool write(const Sheet &sheet, const QString &path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = encode(sheet);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

void remove(const QString &path)
{
    QFile::remove(path);
}

qint64 restore(store::TableSet &tables, const Sheet &sheet)
{
    store::Table &reports = tables.berichttable();
    if (reports.isEditing())
        reports.post();
    store::Transaction transaction(tables);
    qint64 key = 0;
    {
        store::ScopedView keep(reports);
        reports.setFiltered(false);
        reports.cancelRange();
        reports.setIndexName(QString()); // year, number, sheet
        // The same sheet: its year, number and sheet and its row key, so
        // that a report deleted and then numbered again is not overwritten.
        const bool same = sheet.stored && reports.findKey({sheet.year, sheet.number, sheet.sheet})
                          && reports.value(field::BerLfd).toLongLong() == sheet.berLfd;
        if (same) {
            reports.edit();
        } else {
            const int number = domain::nextReportNumber(tables, sheet.year);
            reports.append();
            reports.setValue(field::AJahr, sheet.year);
            reports.setValue(field::Nummer, number);
            reports.setValue(field::Blatt, 1);
        }
        for (const QString &name : textFields()) {
            const QVariant v = sheet.texts.value(name);
            if (v.isValid() && !v.isNull())
                reports.setValue(name, v);
            else
                reports.clearValue(name);
        }
        reports.post();
        key = reports.value(field::BerLfd).toLongLong();
        keep.restore();
    }
    transaction.commit();
    return key;
}

bool offerAtStart(store::TableSet &tables, const QString &path)
{
    QFile file(path);
    if (!file.exists())
        return false;
    std::optional<Sheet> sheet;
    if (file.open(QIODevice::ReadOnly) && file.size() <= maxFileBytes)
        sheet = decode(file.read(maxFileBytes));
    file.close();
    if (!sheet) {
        // A damaged or foreign file is refused, not applied in part: the
        // apprentice is told, and the file goes so that the question does
        // not come back at every start. The table files stay as they are.
        platform::messages().error(QStringLiteral("Die Sicherung eines nicht gespeicherten Berichts (%1) ist "
                                                  "beschädigt oder stammt nicht von diesem Programm. Sie wird "
                                                  "nicht übernommen und gelöscht.")
                                       .arg(QDir::toNativeSeparators(path)));
        remove(path);
        return false;
    }
    const QString which =
        sheet->stored
            ? QStringLiteral("Bericht Nr. %1, Blatt %2 des %3. Ausbildungsjahres")
                  .arg(sheet->number)
                  .arg(sheet->sheet)
                  .arg(sheet->year)
            : QStringLiteral("ein neuer, noch nie gespeicherter Bericht des %1. Ausbildungsjahres").arg(sheet->year);
    const QString question =
        QStringLiteral("Das Programm wurde beendet, während ein Bericht bearbeitet wurde: %1.\n\n"
                       "Sollen die nicht gespeicherten Texte dieses Berichts wiederhergestellt werden?\n"
                       "(Bei \"Nein\" wird die Sicherung gelöscht.)")
            .arg(which);
    if (platform::messages().confirmYesNo(question) != platform::Answer::Yes) {
        remove(path);
        return false;
    }
    restore(tables, *sheet);
    remove(path);
    return true;
}

} // namespace recovery
