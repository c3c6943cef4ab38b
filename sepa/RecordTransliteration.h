#pragma once
// Makes the text fields of a run's booking records safe for bank files.

#include "core/Buchung.h"

namespace qvl {

// Replaces umlauts, "ß" and "é" in Anrede, Strasse, Ort, Nation, Name, Vorname, Bank,
// Bezeichnung, Mandatsnummer and NameUnternehmen of every record. The "Orig" copies,
// postcode, IBAN, BIC and the fee texts stay as they are; line breaks stay too.
void ReplaceUmlaute(Buchungen &aBuchungen);

} // namespace qvl
