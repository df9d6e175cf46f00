#pragma once

// The field names of the six tables, as names the compiler checks: a typo in
// a field name is a compile error instead of a store error at run time. Each
// constant's text is its own name, so the two cannot differ.

#include <QString>

namespace store::field {

// clang-format off
#define LERNORA_TABLE_FIELDS(X)                                                                                        \
    /* plan (thetable.DB), composition (tmptable.DB), detail rows (berdet.DB) */                                       \
    X(Lfdnr) X(Text) X(Headertext) X(Alltext) X(GroupId) X(LfdfTag) X(Isheader) X(NoChild) X(GroupCnt) X(ThemaCnt)     \
    X(L1) X(L2a) X(L2b) X(L3) X(L1cnt) X(L2acnt) X(L2bcnt) X(L3cnt) X(Cnt) X(Hintid) X(BA) X(UELU) X(Masterlfd)        \
    X(Kopieren) X(Verschieben)                                                                                         \
    /* reports (bericht.db) */                                                                                         \
    X(AJahr) X(Nummer) X(Blatt) X(WocheVom) X(BerLfd) X(WocheBis) X(Datum) X(Gedruckt) X(Thema) X(Taetigkeit)          \
    X(Vermerke) X(Darstellung) X(TDAB1) X(TDAB2) X(TDAB3) X(TDAB4) X(TDAB5) X(Tdab6) X(Tdab7) X(Tdab8) X(Tdab9)        \
    X(Tdab10) X(Bild1) X(Zoom1) X(Bild2) X(Zoom2)                                                                      \
    /* hint texts (hints.db) */                                                                                        \
    X(Tdb) X(Gruppe)                                                                                                   \
    /* training-time overview (uebersB.DB) */                                                                          \
    X(Lj) X(Auto) X(Bs) X(Uelu) X(Urlaub) X(Krank)                                                                     \
    /* marks of weeks and reviews (marken.db) */                                                                       \
    X(Woche) X(Grund) X(Notiz) X(Blattlfd) X(Gesehen) X(Pruefer) X(Geaendert)
// clang-format on

#define LERNORA_DEFINE_FIELD(name) inline const QString name = QStringLiteral(#name);
LERNORA_TABLE_FIELDS(LERNORA_DEFINE_FIELD)
#undef LERNORA_DEFINE_FIELD

} // namespace store::field
