#pragma once

// The record's fingerprint: a SHA-256 over what the reports say (every
// sheet's fields and pictures, the plan items ticked on it) and the
// training-time overview, in a fixed order. The whole-record PDF prints it
// and it is kept with the day of that PDF, so that a later change of the
// record shows: the fingerprint of the record no longer matches. It proves
// nothing about who wrote the record; it is no signature.

#include <QByteArray>
#include <QDateTime>

namespace store {
class Settings;
class TableSet;
} // namespace store

namespace domain {

// 64 lower-case hex digits. What is not content is left out: the sheets'
// internal numbers, when a sheet was printed, the trainer's marks.
QByteArray recordFingerprint(store::TableSet &tables);

// The fingerprint and time of the last whole-record PDF; empty and invalid
// when none was written.
struct RecordExport
{
    QByteArray fingerprint;
    QDateTime written;
    bool isValid() const { return !fingerprint.isEmpty() && written.isValid(); }
};
RecordExport lastRecordExport(const store::Settings &settings);
// Keeps both in the settings file; false when it could not be written.
bool recordExported(store::Settings &settings, const QByteArray &fingerprint, const QDateTime &written);

} // namespace domain
