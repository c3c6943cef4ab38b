#include "bank/PaymentReports.h"

#include "bank/RegisterSql.h"
#include "bank/ReturnReasons.h"
#include "core/CreditorReference.h"
#include "core/Money.h"
#include "core/GiroCode.h"
#include "text/Conversions.h"
#include "db/Database.h"

#include <QRegularExpression>

namespace qvl {

namespace {

constexpr auto kMoney = u"#.##0,00";

ReportDesign openItemsDesign()
{
    ReportDesign d(u"OffenePosten"_qs, u"Offene Posten"_qs, QPageLayout::Landscape);
    const auto header = SectionKind::PageHeader;
    const auto detail = SectionKind::Detail;
    const auto footer = SectionKind::ReportFooter;
    const int width = d.bodyWidth();
    d.section(header).Height = 1200;
    auto &title = d.textBox(header, u"Titel"_qs, u"Titel"_qs, 0, 100, width - 2500, 450);
    title.FontSize = 14;
    title.FontBold = true;
    d.label(header, u"Seite"_qs, u"Seite %p"_qs, width - 2500, 100, 2500, 300).Alignment = Qt::AlignRight;
    struct Column {
        const char16_t *field, *caption;
        int width;
        bool money;
    };
    const Column columns[] = {{u"Nummer", u"Nr.", 900, false},          {u"Name", u"Waldbesitzer", 2700, false},
                              {u"Beleg", u"Beleg", 2000, false},         {u"Datum", u"Datum", 1100, false},
                              {u"Faellig", u"Fällig", 1100, false},      {u"Betrag", u"Betrag", 1400, true},
                              {u"Bezahlt", u"Bezahlt", 1400, true},      {u"Ruecklastschrift", u"Rücklastschrift", 2200, false},
                              {u"Offen", u"Offen", 1400, true},          {u"Mahnstufe", u"Mahnst.", 900, false}};
    int left = 0;
    d.section(detail).Height = 280;
    d.section(detail).KeepTogether = true;
    for (const Column &c : columns) {
        auto &caption = d.label(header, u"Kopf"_qs + QString::fromUtf16(c.field), QString::fromUtf16(c.caption), left,
                                750, c.width - 60, 300);
        caption.FontBold = true;
        caption.FontSize = 9;
        auto &value = d.textBox(detail, QString::fromUtf16(c.field), QString::fromUtf16(c.field), left, 20,
                                c.width - 60, 240);
        value.FontSize = 9;
        if (c.money) {
            caption.Alignment = Qt::AlignRight;
            value.Alignment = Qt::AlignRight;
            value.DataFormat = QString::fromUtf16(kMoney);
            value.WordWrap = false;
        }
        left += c.width;
    }
    d.line(header, u"Linie1"_qs, 0, 1100, width);
    d.section(footer).Height = 700;
    d.line(footer, u"Linie2"_qs, 0, 100, width);
    d.label(footer, u"SummeText"_qs, u"Summe offen"_qs, 0, 200, 4000, 300).FontBold = true;
    auto &sum = d.textBox(footer, u"SummeOffen"_qs, u"Offen"_qs, width - 2100 - 1400, 200, 1340, 300);
    sum.Function = ControlFunction::Sum;
    sum.DataFormat = QString::fromUtf16(kMoney);
    sum.Alignment = Qt::AlignRight;
    sum.FontBold = true;
    sum.WordWrap = false;
    return d;
}

ReportDesign letterDesign(LetterKind kind)
{
    ReportDesign d(kind == LetterKind::Returns ? u"Ruecklastschrift"_qs : u"Mahnung"_qs,
                   kind == LetterKind::Returns ? u"Rücklastschriften"_qs : u"Zahlungserinnerungen"_qs);
    d.NewPagePerRow = true;
    const auto detail = SectionKind::Detail;
    const int width = d.bodyWidth();
    d.section(detail).Height = 9000;
    auto &head = d.textBox(detail, u"Briefkopf"_qs, u"Verein"_qs, 0, 300, width, 500);
    head.FontSize = 14;
    head.FontBold = true;
    head.Alignment = Qt::AlignRight;
    head.MinFontSize = 9;
    // The envelope window (DIN 5008): sender line, then the address.
    auto &sender = d.textBox(detail, u"Absender"_qs, u"Absenderzeile"_qs, 0, 2300, 4800, 220);
    sender.FontSize = 7;
    sender.WordWrap = false;
    sender.MinFontSize = 6;
    auto &address = d.textBox(detail, u"Anschrift"_qs, u"Anschrift"_qs, 0, 2600, 4800, 1300);
    address.FontSize = 10;
    address.RaiseLimit = 300;
    d.textBox(detail, u"Datum"_qs, u"Datum"_qs, width - 2500, 4300, 2500, 300).Alignment = Qt::AlignRight;
    auto &subject = d.textBox(detail, u"Betreff"_qs, u"Betreff"_qs, 0, 4900, width, 300);
    subject.FontBold = true;
    subject.FontSize = 11;
    auto &body = d.textBox(detail, u"Brieftext"_qs, u"Brieftext"_qs, 0, 5500, width, 3000);
    body.FontSize = 10;
    // The transfer request a banking app reads: the GiroCode with the amount and the RF
    // reference, and the reference for those who type it. Below the text, moved down with it.
    ReportControl qr;
    qr.Name = u"GiroCode"_qs;
    qr.Kind = ControlKind::QrCode;
    qr.DataField = u"GiroCode"_qs;
    qr.Left = 0;
    qr.Top = 8700;
    qr.Width = 1800;
    qr.Height = 1800;
    d.add(detail, qr);
    auto &scan = d.textBox(detail, u"GiroCodeText"_qs, u"GiroCodeText"_qs, 2000, 9000, width - 2000, 900);
    scan.FontSize = 9;
    return d;
}

QString dateText(const QDate &date)
{
    return date.isValid() ? formatDate(date, u"dd.mm.yyyy"_qs) : QString();
}

} // namespace

QString euroCents(qint64 cents)
{
    return Money(cents).german() + u" €"_qs;
}

QString letterSalutation(const OwnerAddress &a)
{
    const QString salutation = a.salutation.trimmed();
    if (!a.lastName.isEmpty()) {
        if (salutation.compare(u"Frau"_qs, Qt::CaseInsensitive) == 0)
            return u"Sehr geehrte Frau "_qs + a.lastName + u',';
        if (salutation.compare(u"Herr"_qs, Qt::CaseInsensitive) == 0
            || salutation.compare(u"Herrn"_qs, Qt::CaseInsensitive) == 0)
            return u"Sehr geehrter Herr "_qs + a.lastName + u',';
    }
    return u"Sehr geehrte Damen und Herren,"_qs;
}

QHash<long, OwnerAddress> ownerAddresses(Database &db)
{
    QHash<long, OwnerAddress> addresses;
    const std::unique_ptr<RowCursor> rows = db.select(db.sql(register_sql::kOwnerAddresses));
    while (rows->next()) {
        OwnerAddress a;
        a.salutation = rows->text(1);
        a.name = (rows->text(3) + u' ' + rows->text(2)).trimmed();
        a.lastName = rows->text(2).trimmed();
        a.street = rows->text(4);
        a.postcodeCity = (rows->text(5) + u' ' + rows->text(6)).trimmed();
        addresses.insert(rows->integer(0), a);
    }
    return addresses;
}

Report openItemsReport(const QList<OpenItem> &items, const QDate &today, const QString &association)
{
    RecordSet rs;
    rs.append(u"Titel"_qs, FieldType::Text, 200);
    rs.append(u"Nummer"_qs, FieldType::Integer);
    rs.append(u"Name"_qs, FieldType::Text, 200);
    rs.append(u"Beleg"_qs, FieldType::Text, 40);
    rs.append(u"Datum"_qs, FieldType::Date);
    rs.append(u"Faellig"_qs, FieldType::Date);
    rs.append(u"Betrag"_qs, FieldType::Double);
    rs.append(u"Bezahlt"_qs, FieldType::Double);
    rs.append(u"Ruecklastschrift"_qs, FieldType::Text, 200);
    rs.append(u"Offen"_qs, FieldType::Double);
    rs.append(u"Mahnstufe"_qs, FieldType::Integer);
    const QString title = u"Offene Posten "_qs + association + u" – Stand "_qs + dateText(today);
    for (const OpenItem &item : items) {
        const RegisteredDocument &d = item.document;
        rs.addNew();
        rs.set(u"Titel"_qs, title);
        rs.set(u"Nummer"_qs, qint64(d.nummer));
        rs.set(u"Name"_qs, d.name);
        rs.set(u"Beleg"_qs, documentKindText(d.kind) + u' ' + QString::number(d.number));
        rs.set(u"Datum"_qs, d.date);
        rs.set(u"Faellig"_qs, d.due);
        rs.set(u"Betrag"_qs, double(d.grossCents) / 100);
        rs.set(u"Bezahlt"_qs, double(item.paidCents) / 100);
        if (item.returned)
            rs.set(u"Ruecklastschrift"_qs, dateText(item.returnedOn) + u": "_qs + returnReasonText(item.returnCode));
        rs.set(u"Offen"_qs, double(item.openCents) / 100);
        rs.set(u"Mahnstufe"_qs, d.reminderLevel);
    }
    static const ReportDesign design = openItemsDesign();
    return Report(design, std::move(rs));
}

QString defaultLetterModel(LetterKind kind)
{
    if (kind == LetterKind::Returns)
        return u"{Briefanrede}\n\n"
               "Ihre Bank hat unsere Lastschrift über {Betrag} zu {Beleg} Nr. {Rechnungsnummer} vom {Datum} "
               "am {Rueckgabedatum} zurückgegeben. Grund: {Grund}.\n\n"
               "Bitte überweisen Sie {Gesamt} ({Offen}{Gebuehrtext}) bis zum {Zahlbar} auf unser Konto "
               "IBAN {IBAN}, BIC {BIC} bei der {Bank}, Verwendungszweck „{Referenz}“.\n\n"
               "Mit freundlichen Grüßen\n{Verein}"_qs;
    return u"{Briefanrede}\n\n"
           "zu {Beleg} Nr. {Rechnungsnummer} vom {Datum} über {Betrag}, fällig am {Faellig}, ist bei uns noch "
           "{Offen} offen. Sicher haben Sie die Zahlung nur übersehen.\n\n"
           "Bitte überweisen Sie {Offen} bis zum {Zahlbar} auf unser Konto IBAN {IBAN}, BIC {BIC} bei der {Bank}, "
           "Verwendungszweck „{Referenz}“. Hat sich Ihre Zahlung mit diesem Schreiben gekreuzt, "
           "betrachten Sie es bitte als gegenstandslos.\n\n"
           "Mit freundlichen Grüßen\n{Verein}"_qs;
}

QString fillModel(QString model, const QHash<QString, QString> &fields)
{
    static const QRegularExpression field(u"\\{(\\w+)\\}"_qs);
    QString filled;
    qsizetype from = 0;
    for (auto it = field.globalMatch(model); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        filled += QStringView(model).mid(from, m.capturedStart() - from);
        const auto value = fields.constFind(m.captured(1));
        filled += value != fields.cend() ? *value : m.captured();
        from = m.capturedEnd();
    }
    filled += QStringView(model).mid(from);
    return filled;
}

Report paymentLetters(const QList<OpenItem> &items, const QHash<long, OwnerAddress> &addresses,
                      const LetterOptions &o)
{
    RecordSet rs;
    for (const char16_t *name : {u"Verein", u"Absenderzeile", u"Anschrift", u"Datum", u"Betreff", u"Brieftext",
                                 u"Grund", u"Referenz", u"GiroCode", u"GiroCodeText"})
        rs.append(QString::fromUtf16(name), FieldType::Text, 4000);
    rs.append(u"Nummer"_qs, FieldType::Integer);
    rs.append(u"Rechnungsnummer"_qs, FieldType::Text, 20);
    rs.append(u"Betrag"_qs, FieldType::Double);
    rs.append(u"Gebuehr"_qs, FieldType::Double);
    rs.append(u"Gesamt"_qs, FieldType::Double);
    rs.append(u"Mahnstufe"_qs, FieldType::Integer);
    const Creditor &s = o.sender;
    const QString model = o.model.trimmed().isEmpty() ? defaultLetterModel(o.kind) : o.model;
    const QString payBy = dateText(o.today.addDays(o.payWithinDays));
    for (const OpenItem &item : items) {
        const RegisteredDocument &d = item.document;
        const OwnerAddress a = addresses.value(d.idPersonal, OwnerAddress{{}, d.name, {}, {}, {}});
        const bool returns = o.kind == LetterKind::Returns;
        const qint64 fee = returns ? o.returnFeeCents : 0;
        const qint64 amount = item.openCents;
        const int level = d.reminderLevel + 1;
        QHash<QString, QString> fields{
            {u"Name"_qs, a.name},
            {u"Briefanrede"_qs, letterSalutation(a)},
            {u"Beleg"_qs, documentKindText(d.kind)},
            {u"Rechnungsnummer"_qs, QString::number(d.number)},
            {u"Datum"_qs, dateText(d.date)},
            {u"Faellig"_qs, dateText(d.due)},
            {u"Betrag"_qs, euroCents(returns ? d.grossCents : amount)},
            {u"Offen"_qs, euroCents(amount)},
            {u"Gebuehr"_qs, euroCents(fee)},
            // What the letter asks for adds up: what is open (after a partial payment less than
            // the debit) and the association's fee.
            {u"Gebuehrtext"_qs, fee > 0 ? (amount != d.grossCents ? u" offen"_qs : QString())
                                              + u" zuzüglich unserer Rücklastschriftgebühr von "_qs + euroCents(fee)
                                        : QString()},
            {u"Gesamt"_qs, euroCents(amount + fee)},
            {u"Grund"_qs, returnReasonText(item.returnCode)},
            {u"Rueckgabedatum"_qs, dateText(item.returnedOn)},
            {u"Zahlbar"_qs, payBy},
            {u"Stufe"_qs, QString::number(level)},
            {u"IBAN"_qs, s.iban},
            {u"BIC"_qs, s.bic},
            {u"Bank"_qs, s.bank},
            {u"Referenz"_qs, printedCreditorReference(creditorReference(d.number))},
            {u"Verein"_qs, s.name}};
        rs.addNew();
        rs.set(u"Verein"_qs, s.name);
        rs.set(u"Absenderzeile"_qs, s.name + u", "_qs + s.street + u", "_qs + s.postcode + u' ' + s.town);
        rs.set(u"Anschrift"_qs,
               QStringList{a.salutation, a.name, a.street, a.postcodeCity}.filter(QRegularExpression(u"\\S"_qs))
                   .join(u'\n'));
        rs.set(u"Datum"_qs, s.town + u", "_qs + dateText(o.today));
        rs.set(u"Betreff"_qs, returns ? u"Rücklastschrift zu "_qs + documentKindText(d.kind) + u" Nr. "_qs
                                          + QString::number(d.number)
                                      : (level == 1 ? u"Zahlungserinnerung"_qs
                                                    : QString::number(level) + u". Mahnung"_qs)
                                            + u" zu "_qs + documentKindText(d.kind) + u" Nr. "_qs
                                            + QString::number(d.number));
        rs.set(u"Brieftext"_qs, fillModel(model, fields));
        rs.set(u"Grund"_qs, returns ? returnReasonText(item.returnCode) : QString());
        const QString reference = creditorReference(d.number);
        rs.set(u"Referenz"_qs, printedCreditorReference(reference));
        const QString giroCode = giroCodePayload({s.bic, s.name, s.iban, Money(amount + fee), reference});
        rs.set(u"GiroCode"_qs, giroCode);
        if (!giroCode.isEmpty())
            rs.set(u"GiroCodeText"_qs, u"Überweisen mit Ihrer Banking-App: den Code scannen (GiroCode). "
                                       "Zahlungsreferenz: "_qs
                                           + printedCreditorReference(reference));
        rs.set(u"Nummer"_qs, qint64(d.nummer));
        rs.set(u"Rechnungsnummer"_qs, QString::number(d.number));
        rs.set(u"Betrag"_qs, double(amount) / 100);
        rs.set(u"Gebuehr"_qs, double(fee) / 100);
        rs.set(u"Gesamt"_qs, double(amount + fee) / 100);
        rs.set(u"Mahnstufe"_qs, returns ? 0 : level);
    }
    static const ReportDesign returnsDesign = letterDesign(LetterKind::Returns);
    static const ReportDesign remindersDesign = letterDesign(LetterKind::Reminders);
    return Report(o.kind == LetterKind::Returns ? returnsDesign : remindersDesign, std::move(rs));
}

void recordReminders(Database &db, const QList<OpenItem> &items, const QDate &today, LetterKind kind)
{
    Transaction transaction(db);
    QSqlQuery update = db.prepare(db.sql(register_sql::kSetReminder));
    for (const OpenItem &item : items) {
        update.bindValue(0, item.document.reminderLevel + (kind == LetterKind::Reminders ? 1 : 0));
        update.bindValue(1, today.toString(Qt::ISODate));
        update.bindValue(2, item.document.number);
        Database::exec(update);
    }
    transaction.commit();
}

} // namespace qvl
