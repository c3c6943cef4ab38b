#include "sepa/RecordTransliteration.h"

#include "core/Transliteration.h"

namespace qvl {

void ReplaceUmlaute(Buchungen &aBuchungen)
{
    for (Buchung &b : aBuchungen)
        for (QString *field : {&b.Anrede, &b.Strasse, &b.Ort, &b.Nation, &b.Name, &b.Vorname, &b.Bank,
                               &b.Bezeichnung, &b.Mandatsnummer, &b.NameUnternehmen})
            *field = ReplaceUmlauteTable(*field);
}

} // namespace qvl
