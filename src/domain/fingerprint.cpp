#include "fingerprint.h"

#include "store/settings.h"
#include "store/settingskeys.h"
#include "store/tableset.h"

#include <QCryptographicHash>
#include <QtEndian>
#include <memory>
#include <stdexcept>

#ifdef LERNORA_OPENSSL_SHA256
#include <openssl/evp.h>
#endif

namespace domain {

namespace {

namespace keys = store::settingskeys;

// SHA-256 through the system's crypto library where the build found it:
// it uses the processor's SHA instructions, several times as fast as Qt's
// own over years of photos. Qt's gives the same digest.
class Sha256
{
public:
#ifdef LERNORA_OPENSSL_SHA256
    Sha256() : m_ctx(EVP_MD_CTX_new())
    {
        if (!m_ctx || EVP_DigestInit_ex(m_ctx, EVP_sha256(), nullptr) != 1)
            fallBack();
    }
    ~Sha256() { EVP_MD_CTX_free(m_ctx); }
    void addData(QByteArrayView bytes)
    {
        if (m_fallback)
            m_fallback->addData(bytes);
        else if (EVP_DigestUpdate(m_ctx, bytes.data(), size_t(bytes.size())) != 1)
            throw std::runtime_error("SHA-256");
    }
    QByteArray result()
    {
        if (m_fallback)
            return m_fallback->result();
        unsigned char digest[EVP_MAX_MD_SIZE];
        unsigned int size = 0;
        if (EVP_DigestFinal_ex(m_ctx, digest, &size) != 1)
            throw std::runtime_error("SHA-256");
        return QByteArray(reinterpret_cast<const char *>(digest), int(size));
    }

private:
    // Only when the library cannot start a digest, before any data.
    void fallBack() { m_fallback = std::make_unique<QCryptographicHash>(QCryptographicHash::Sha256); }
    EVP_MD_CTX *m_ctx;
    std::unique_ptr<QCryptographicHash> m_fallback;
#else
    void addData(QByteArrayView bytes) { m_hash.addData(bytes); }
    QByteArray result() const { return m_hash.result(); }

private:
    QCryptographicHash m_hash{QCryptographicHash::Sha256};
#endif
    Q_DISABLE_COPY(Sha256)
};

// Each value with its kind and length in front, so that no two different
// records give the same stream of bytes ("ab" + "c" is not "a" + "bc").
void add(Sha256 &hash, const QVariant &value)
{
    char kind = 'T';
    QByteArray bytes;
    if (value.isNull()) {
        kind = 'N';
    } else if (value.typeId() == QMetaType::QByteArray) {
        kind = 'B';
        bytes = value.toByteArray();
    } else {
        // A number or date compares by its text: the same stored value
        // read as integer or as text is the same content.
        bytes = value.toString().toUtf8();
    }
    uchar head[9];
    head[0] = uchar(kind);
    qToBigEndian<quint64>(quint64(bytes.size()), head + 1);
    hash.addData(QByteArrayView(reinterpret_cast<const char *>(head), sizeof head));
    hash.addData(bytes);
}

void addRows(Sha256 &hash, const QVector<QVariantList> &rows)
{
    add(hash, QVariant(qlonglong(rows.size())));
    for (const QVariantList &row : rows)
        for (const QVariant &value : row)
            add(hash, value);
}

} // namespace

QByteArray recordFingerprint(store::TableSet &tables)
{
    Sha256 hash;
    hash.addData(QByteArrayView("Lernora-Nachweis 1"));
    // Sheet by sheet, so that only one sheet's pictures are held at a time.
    const auto sheets = tables.query(QStringLiteral("SELECT BerLfd FROM bericht ORDER BY AJahr, Nummer, Blatt, BerLfd"));
    add(hash, QVariant(qlonglong(sheets.size())));
    for (const QVariantList &sheet : sheets) {
        addRows(hash, tables.query(QStringLiteral("SELECT AJahr, Nummer, Blatt, WocheVom, WocheBis, Datum, Thema, "
                                                  "Taetigkeit, Vermerke, Darstellung, TDAB1, TDAB2, TDAB3, TDAB4, "
                                                  "TDAB5, Tdab6, Tdab7, Tdab8, Tdab9, Tdab10, Bild1, Zoom1, Bild2, "
                                                  "Zoom2 FROM bericht WHERE BerLfd=?"),
                                   {sheet[0]}));
        addRows(hash, tables.query(QStringLiteral("SELECT Lfdnr, GroupId, LfdfTag, BA, UELU, Hintid, Alltext "
                                                  "FROM berdet WHERE Masterlfd=? ORDER BY Lfdnr, rowid"),
                                   {sheet[0]}));
    }
    addRows(hash, tables.query(QStringLiteral("SELECT Lj, Bs, Uelu, Urlaub, Krank FROM uebersB ORDER BY Lj, Auto")));
    return hash.result().toHex();
}

RecordExport lastRecordExport(const store::Settings &settings)
{
    RecordExport last;
    last.fingerprint = settings.readString(keys::Nachweis, keys::Pruefsumme).toLatin1();
    last.written = QDateTime::fromString(settings.readString(keys::Nachweis, keys::PDFErstellt), Qt::ISODate);
    if (!last.isValid())
        return {};
    return last;
}

bool recordExported(store::Settings &settings, const QByteArray &fingerprint, const QDateTime &written)
{
    return settings.writeStrings({{keys::Nachweis, keys::Pruefsumme, QString::fromLatin1(fingerprint)},
                                  {keys::Nachweis, keys::PDFErstellt, written.toString(Qt::ISODate)}});
}

} // namespace domain
