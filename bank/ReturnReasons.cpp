#include "bank/ReturnReasons.h"

#include <QHash>

namespace qvl {

QString returnReasonText(const QString &code)
{
    // The codes the SEPA direct-debit rulebook names for returns, refunds and rejects.
    static const QHash<QString, QString> texts{
        {u"AC01"_qs, u"IBAN fehlerhaft"_qs},
        {u"AC04"_qs, u"Konto erloschen"_qs},
        {u"AC06"_qs, u"Konto gesperrt"_qs},
        {u"AC13"_qs, u"Konto eines Verbrauchers (Firmenlastschrift nicht zulässig)"_qs},
        {u"AG01"_qs, u"Lastschrift auf diesem Konto nicht zulässig"_qs},
        {u"AG02"_qs, u"Ungültiger Transaktionscode oder Dateiformat"_qs},
        {u"AM04"_qs, u"Deckung unzureichend"_qs},
        {u"AM05"_qs, u"Doppelte Einreichung"_qs},
        {u"BE05"_qs, u"Gläubiger unbekannt"_qs},
        {u"CNOR"_qs, u"Bank des Gläubigers nicht erreichbar"_qs},
        {u"DNOR"_qs, u"Bank des Zahlers nicht erreichbar"_qs},
        {u"FF01"_qs, u"Ungültiges Dateiformat"_qs},
        {u"MD01"_qs, u"Kein Mandat"_qs},
        {u"MD02"_qs, u"Mandatsdaten fehlen oder sind fehlerhaft"_qs},
        {u"MD06"_qs, u"Erstattung auf Verlangen des Zahlers (Widerspruch)"_qs},
        {u"MD07"_qs, u"Kontoinhaber verstorben"_qs},
        {u"MS02"_qs, u"Grund vom Zahler nicht genannt"_qs},
        {u"MS03"_qs, u"Grund von der Bank nicht genannt"_qs},
        {u"RC01"_qs, u"BIC fehlerhaft"_qs},
        {u"RR01"_qs, u"Angaben zum Zahler fehlen (Vorschriften)"_qs},
        {u"RR02"_qs, u"Name oder Anschrift des Zahlers fehlt (Vorschriften)"_qs},
        {u"RR03"_qs, u"Name oder Anschrift des Gläubigers fehlt (Vorschriften)"_qs},
        {u"RR04"_qs, u"Aufsichtsrechtliche Gründe"_qs},
        {u"SL01"_qs, u"Besondere Dienstleistung der Bank des Zahlers (Lastschriftsperre)"_qs},
    };
    const QString key = code.trimmed().toUpper();
    if (key.isEmpty())
        return u"Grund nicht angegeben"_qs;
    const auto found = texts.constFind(key);
    return found != texts.cend() ? *found : u"Rückgabegrund "_qs + key + u" (unbekannter Code)"_qs;
}

} // namespace qvl
