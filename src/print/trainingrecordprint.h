#pragma once

// The cover sheet of the training record: its title, the apprentice's and
// the trainer's particulars, the contractual training period and the days
// the record was begun and completed. Every value is read from the settings
// file each time the form is prepared; no table is read.

#include "print/engine/report.h"
#include "store/places.h"

#include <QObject>
#include <QString>
#include <vector>

class TQRMDForm : public QObject
{
    Q_OBJECT
public:
    explicit TQRMDForm(const store::Places &places, QObject *parent = nullptr);

    engine::Report &qrnachweis() { return m_report; }

    // Report event: the values from the settings file.
    void qrnachweisBeforePrint();

    // The record's checksum (SHA-256, hex) printed below the last line with
    // what it is good for; empty: none printed (the cover on its own).
    void setFingerprint(const QByteArray &hex);

private:
    void build();

    store::Places m_places;
    engine::Report m_report;
    struct Value
    {
        engine::Label *item;
        QLatin1String section;
        QLatin1String key;
    };
    std::vector<Value> m_values;
    engine::Label *m_fingerprint = nullptr;
};
