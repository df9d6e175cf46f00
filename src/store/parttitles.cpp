#include "parttitles.h"

namespace store {

namespace {

const char *const titles[partCount] = {
    "Berufsbildung (§ 3 Nr. 1)",
    "Aufbau und Organisation des Ausbildungsbetriebes (§ 3 Nr. 2)",
    "Arbeits- und Tarifrecht, Arbeitsschutz (§ 3 Nr. 3)",
    "Arbeitssicherheit und rationelle Energieverwendung (§ 3 Nr. 4)",
    "Anwenden berufsspezifischer Rechtsgrungdlagen (§ 3 Nr. 5)",
    "Anwenden von Vorschriften des Baurechts und des Brandschutzes (§ 3 Nr. 6)",
    "Anwenden von Vorschriften des Umweltschutzes, umweltgerechter Umgang mit Stoffen (§ 3 Nr. 7)",
    "Lesen, Anwenden und erstellen von technischen Unterlagen (§ 3 Nr. 8)",
    "Planen, Vorbereiten und Dokumentieren von Arbeitsabläufen (§ 3 Nr. 9)",
    "Instandhalten von Reinigungs-, Kehr-, Meß- und Prüfgeräten (§ 3 Nr. 10)",
    "Prüfen der Funktion sowie der Betriebs- und Brandsicherheit von technischen Anlagen und "
    "Einrichtungen (§ 3 Nr. 11)",
    "Prüfen von technischen Anlagen und Einrichtungen in Hinsicht auf Energieeinsparung und "
    "Umweltschutz (§ 3 Nr. 12)",
    "Feststellen und Dokumentieren von Mängeln und Funktionsstörungen, Einleiten von Maßnahmen zur "
    "Gefahrenabwehr (§ 3 Nr. 13)",
    "Messen u. Feststellen von Werten zum Immissionsschutz und zur Energieeinsparung, Beurteilen der "
    "Ergebnisse (§ 3 Nr. 14)",
    "Kehren, Reinigen und Überprüfen von Feuerungsanlagen und ähnlichen Einrichtungen sowie "
    "Zusatzeinrichtungen(§ 3 Nr. 15)",
    "Überprüfen und Reinigen von Lüftungsanlagen und ähnlichen Einrichtungen (§ 3 Nr. 16)",
    "Führen von Kundengesprächen, Durchführen von Beratungen (§ 3 Nr. 17)",
};

} // namespace

QString partTitle(int part)
{
    return part >= 1 && part <= partCount ? QString::fromUtf8(titles[part - 1]) : QString();
}

} // namespace store
