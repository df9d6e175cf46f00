#pragma once

#include <QLatin1String>

// Sections, keys and defaults of the settings file Ruririd.ini.
namespace store::settingskeys {

// Sections.
inline constexpr QLatin1String Stift{"Stift"}; // the apprentice
inline constexpr QLatin1String BKM{"BKM"};     // the trainer
inline constexpr QLatin1String Werte{"Werte"}; // window settings
inline constexpr QLatin1String Exim{"exim"};   // import/export window
inline constexpr QLatin1String Nachweis{"Nachweis"}; // the last whole-record PDF

// Keys of "Stift" and "BKM" (Name, VorName, Ort, Strasse are in both).
inline constexpr QLatin1String Name{"Name"};
inline constexpr QLatin1String VorName{"VorName"}; // always written empty
inline constexpr QLatin1String Gebdat{"Gebdat"};
inline constexpr QLatin1String Ort{"Ort"};
inline constexpr QLatin1String Strasse{"Strasse"};
inline constexpr QLatin1String AZvom{"AZvom"};       // contractual training period, first day
inline constexpr QLatin1String AZbis{"AZbis"};       // contractual training period, last day
inline constexpr QLatin1String ABNStart{"ABNStart"}; // training record begun
inline constexpr QLatin1String ABNEnde{"ABNEnde"};   // training record completed
inline constexpr QLatin1String Jahr{"Jahr"};         // current training year (integer)
inline constexpr QLatin1String vom1{"vom1"};         // first and last day of training years 1..3
inline constexpr QLatin1String bis1{"bis1"};
inline constexpr QLatin1String vom2{"vom2"};
inline constexpr QLatin1String bis2{"bis2"};
inline constexpr QLatin1String vom3{"vom3"};
inline constexpr QLatin1String bis3{"bis3"};
inline constexpr QLatin1String Innung{"Innung"}; // trainer's guild

// Key of "Werte": index of the report overview's display choice (integer).
inline constexpr QLatin1String Anzeigewahl{"Anzeigewahl"};
// Key of "Werte": 1 when the bulk print is laid out for two-sided printing.
inline constexpr QLatin1String Beidseitig{"Beidseitig"};

// Key of "Werte": 1 (the default) when the main window names the weeks
// without a report at start, 0 when it does not.
inline constexpr QLatin1String Erinnerung{"Erinnerung"};
// Key of "Werte": 1 once the apprentice was told that no dictionary was found.
inline constexpr QLatin1String KeinWoerterbuch{"KeinWoerterbuch"};

// Keys of "Nachweis": the record's checksum when its last whole-record PDF
// was written, and when that was (ISO date and time).
inline constexpr QLatin1String Pruefsumme{"Pruefsumme"};
inline constexpr QLatin1String PDFErstellt{"PDFErstellt"};

// Keys of "exim": drive and directory last used by the import/export window.
inline constexpr QLatin1String drive{"drive"};
inline constexpr QLatin1String directory{"directory"};

// Defaults; every other key defaults to empty text.
inline constexpr int defaultJahr = 1;
inline constexpr int defaultAnzeigewahl = 0;
inline constexpr int defaultErinnerung = 1;
inline constexpr QLatin1String defaultDrive{"C"};
inline constexpr QLatin1String defaultDirectory{"\\"};

} // namespace store::settingskeys
