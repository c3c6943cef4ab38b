#include "einvoice/CountryCodes.h"

#include <QHash>

namespace qvl {

namespace {

// Vehicle codes that differ from the ISO code, then the ISO codes of the countries a
// member of a German forest owners' association may live in (where a vehicle code and an
// ISO code are the same letters, they name the same country).
const QHash<QString, QString> &countries()
{
    static const QHash<QString, QString> table = [] {
        QHash<QString, QString> t{
            {u"D"_qs, u"DE"_qs},   {u"A"_qs, u"AT"_qs},   {u"I"_qs, u"IT"_qs},   {u"F"_qs, u"FR"_qs},
            {u"B"_qs, u"BE"_qs},   {u"L"_qs, u"LU"_qs},   {u"E"_qs, u"ES"_qs},   {u"P"_qs, u"PT"_qs},
            {u"S"_qs, u"SE"_qs},   {u"N"_qs, u"NO"_qs},   {u"H"_qs, u"HU"_qs},   {u"M"_qs, u"MT"_qs},
            {u"V"_qs, u"VA"_qs},   {u"J"_qs, u"JP"_qs},   {u"FL"_qs, u"LI"_qs},  {u"FIN"_qs, u"FI"_qs},
            {u"EST"_qs, u"EE"_qs}, {u"IRL"_qs, u"IE"_qs}, {u"SLO"_qs, u"SI"_qs}, {u"RSM"_qs, u"SM"_qs},
            {u"AND"_qs, u"AD"_qs}, {u"MNE"_qs, u"ME"_qs}, {u"SRB"_qs, u"RS"_qs}, {u"BIH"_qs, u"BA"_qs},
            {u"NMK"_qs, u"MK"_qs}, {u"RUS"_qs, u"RU"_qs}, {u"USA"_qs, u"US"_qs}, {u"CDN"_qs, u"CA"_qs},
            {u"AUS"_qs, u"AU"_qs}, {u"UK"_qs, u"GB"_qs},  {u"KS"_qs, u"KG"_qs},  {u"RA"_qs, u"AR"_qs},
            {u"MEX"_qs, u"MX"_qs}, {u"RCH"_qs, u"CL"_qs}, {u"IND"_qs, u"IN"_qs}, {u"ROK"_qs, u"KR"_qs},
        };
        for (const char16_t *iso : {u"DE", u"AT", u"CH", u"IT", u"FR", u"BE", u"LU", u"NL", u"DK", u"PL", u"CZ",
                                    u"SK", u"HU", u"SI", u"HR", u"ES", u"PT", u"SE", u"NO", u"FI", u"IS", u"IE",
                                    u"GB", u"LI", u"MC", u"SM", u"VA", u"AD", u"MT", u"GR", u"CY", u"RO", u"BG",
                                    u"EE", u"LV", u"LT", u"AL", u"ME", u"RS", u"BA", u"MK", u"TR", u"UA", u"BY",
                                    u"MD", u"RU", u"US", u"CA", u"AU", u"NZ", u"ZA", u"BR", u"JP", u"IL", u"CN"})
            t.insert(QString::fromUtf16(iso), QString::fromUtf16(iso));
        return t;
    }();
    return table;
}

} // namespace

QString isoCountryCode(const QString &nation)
{
    const QString code = nation.trimmed().toUpper();
    if (code.isEmpty())
        return u"DE"_qs;
    return countries().value(code);
}

} // namespace qvl
