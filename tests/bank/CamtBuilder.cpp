#include "bank/CamtBuilder.h"

#include <QCryptographicHash>
#include <QFile>

#include <zip.h>

namespace qvl::test {

namespace {

QString amount(qint64 cents)
{
    return QString::number(cents / 100) + u'.' + QString::number(cents % 100).rightJustified(2, u'0');
}

QString esc(QString text)
{
    return text.replace(u'&', u"&amp;"_qs).replace(u'<', u"&lt;"_qs).replace(u'>', u"&gt;"_qs);
}

QString amt(const char *element, qint64 cents, const QString &currency = u"EUR"_qs)
{
    return u"<"_qs + QLatin1StringView(element) + u" Ccy=\""_qs + currency + u"\">"_qs + amount(cents) + u"</"_qs
           + QLatin1StringView(element) + u'>';
}

QString transaction(const TestTransaction &t, bool v08, bool credit, const QString &ccy)
{
    QString x = u"<TxDtls><Refs>"_qs;
    if (!t.endToEndId.isEmpty())
        x += u"<EndToEndId>"_qs + esc(t.endToEndId) + u"</EndToEndId>"_qs;
    if (!t.mandateId.isEmpty())
        x += u"<MndtId>"_qs + esc(t.mandateId) + u"</MndtId>"_qs;
    x += u"</Refs>"_qs;
    if (v08 && t.amountDetails)
        x += amt("Amt", t.cents, ccy) + u"<CdtDbtInd>"_qs + (credit ? u"CRDT"_qs : u"DBIT"_qs) + u"</CdtDbtInd>"_qs;
    if (t.amountDetails) {
        x += u"<AmtDtls>"_qs;
        if (t.originalCents > 0)
            x += u"<InstdAmt>"_qs + amt("Amt", t.originalCents, ccy) + u"</InstdAmt>"_qs;
        x += u"<TxAmt>"_qs + amt("Amt", t.cents, ccy) + u"</TxAmt></AmtDtls>"_qs;
    }
    if (t.chargeCents > 0)
        x += v08 ? u"<Chrgs><Rcrd>"_qs + amt("Amt", t.chargeCents, ccy) + u"</Rcrd></Chrgs>"_qs
                 : u"<Chrgs>"_qs + amt("Amt", t.chargeCents, ccy) + u"</Chrgs>"_qs;
    if (!t.name.isEmpty() || !t.iban.isEmpty() || !t.creditorId.isEmpty()) {
        x += u"<RltdPties>"_qs;
        if (!t.name.isEmpty())
            x += v08 ? u"<Dbtr><Pty><Nm>"_qs + esc(t.name) + u"</Nm></Pty></Dbtr>"_qs
                     : u"<Dbtr><Nm>"_qs + esc(t.name) + u"</Nm></Dbtr>"_qs;
        if (!t.iban.isEmpty())
            x += u"<DbtrAcct><Id><IBAN>"_qs + t.iban + u"</IBAN></Id></DbtrAcct>"_qs;
        if (!t.creditorId.isEmpty()) {
            const QString id = u"<Id><PrvtId><Othr><Id>"_qs + t.creditorId
                               + u"</Id><SchmeNm><Prtry>SEPA</Prtry></SchmeNm></Othr></PrvtId></Id>"_qs;
            x += v08 ? u"<Cdtr><Pty><Nm>FBG</Nm>"_qs + id + u"</Pty></Cdtr>"_qs
                     : u"<Cdtr><Nm>FBG</Nm>"_qs + id + u"</Cdtr>"_qs;
        }
        x += u"</RltdPties>"_qs;
    }
    if (!t.remittance.isEmpty() || !t.creditorReference.isEmpty()) {
        x += u"<RmtInf>"_qs;
        for (const QString &line : t.remittance)
            x += u"<Ustrd>"_qs + esc(line) + u"</Ustrd>"_qs;
        if (!t.creditorReference.isEmpty())
            x += u"<Strd><CdtrRefInf><Tp><CdOrPrtry><Cd>SCOR</Cd></CdOrPrtry><Issr>ISO</Issr></Tp><Ref>"_qs
                 + t.creditorReference + u"</Ref></CdtrRefInf></Strd>"_qs;
        x += u"</RmtInf>"_qs;
    }
    if (!t.returnCode.isEmpty())
        x += u"<RtrInf><Rsn><Cd>"_qs + t.returnCode + u"</Cd></Rsn><AddtlInf>Rueckgabe</AddtlInf></RtrInf>"_qs;
    return x + u"</TxDtls>\n"_qs;
}

QString entry(const TestEntry &e, bool v08)
{
    QString x = u"<Ntry>\n"_qs + amt("Amt", e.cents, e.currency) + u"<CdtDbtInd>"_qs
                + (e.credit ? u"CRDT"_qs : u"DBIT"_qs) + u"</CdtDbtInd>"_qs;
    if (e.reversal)
        x += u"<RvslInd>true</RvslInd>"_qs;
    x += v08 ? u"<Sts><Cd>BOOK</Cd></Sts>"_qs : u"<Sts>BOOK</Sts>"_qs;
    if (e.bookingDate)
        x += u"<BookgDt><Dt>"_qs + e.booked.toString(Qt::ISODate) + u"</Dt></BookgDt>"_qs;
    x += u"<ValDt><Dt>"_qs + e.booked.toString(Qt::ISODate) + u"</Dt></ValDt>"_qs;
    if (!e.reference.isEmpty())
        x += u"<AcctSvcrRef>"_qs + e.reference + u"</AcctSvcrRef>"_qs;
    const bool isReturn = !e.transactions.isEmpty() && !e.transactions.first().returnCode.isEmpty();
    const QString family = e.credit ? (e.batchMessageId.isEmpty() ? u"RCDT"_qs : u"IDDT"_qs) : u"IDDT"_qs;
    const QString sub = e.credit ? (e.batchMessageId.isEmpty() ? u"ESCT"_qs : u"ESDD"_qs)
                                 : (isReturn ? u"UPDD"_qs : u"ESDD"_qs);
    const QStringList code = e.bankCode.isEmpty() ? QStringList{u"PMNT"_qs, family, sub} : e.bankCode.split(u'/');
    x += u"<BkTxCd><Domn><Cd>"_qs + code.value(0) + u"</Cd><Fmly><Cd>"_qs + code.value(1) + u"</Cd><SubFmlyCd>"_qs
         + code.value(2) + u"</SubFmlyCd></Fmly></Domn>"_qs
         + (e.proprietaryCode.isEmpty() ? QString()
                                        : u"<Prtry><Cd>"_qs + e.proprietaryCode + u"</Cd><Issr>DK</Issr></Prtry>"_qs)
         + u"</BkTxCd>\n"_qs;
    if (e.chargeCents > 0)
        x += v08 ? u"<Chrgs><Rcrd>"_qs + amt("Amt", e.chargeCents, e.currency) + u"</Rcrd></Chrgs>"_qs
                 : u"<Chrgs>"_qs + amt("Amt", e.chargeCents, e.currency) + u"</Chrgs>"_qs;
    if (!e.batchMessageId.isEmpty() || !e.transactions.isEmpty()) {
        x += u"<NtryDtls>"_qs;
        if (!e.batchMessageId.isEmpty())
            x += u"<Btch><MsgId>"_qs + e.batchMessageId + u"</MsgId><NbOfTxs>"_qs + QString::number(e.batchCount)
                 + u"</NbOfTxs></Btch>\n"_qs;
        for (const TestTransaction &t : e.transactions)
            x += transaction(t, v08, e.credit, e.currency);
        x += u"</NtryDtls>\n"_qs;
    }
    return x + u"</Ntry>\n"_qs;
}

} // namespace

QByteArray camtDocument(const QString &message, const QList<TestEntry> &entries, const QString &account,
                        const QString &statementId)
{
    const bool v08 = message.endsWith(u".08"_qs);
    const bool statement = message.startsWith(u"camt.053"_qs);
    const QString root = statement ? u"BkToCstmrStmt"_qs : u"BkToCstmrDbtCdtNtfctn"_qs;
    const QString report = statement ? u"Stmt"_qs : u"Ntfctn"_qs;
    QString body;
    for (const TestEntry &e : entries)
        body += entry(e, v08);
    // As a bank names its statements: another statement, another id; the same one, the same.
    const QString id = !statementId.isEmpty()
                           ? statementId
                           : u"A-"_qs + QString::fromLatin1(QCryptographicHash::hash(body.toUtf8(), QCryptographicHash::Sha1)
                                                                .toHex()
                                                                .left(16));
    QString x = u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Document xmlns=\"urn:iso:std:iso:20022:tech:xsd:"_qs
                + message + u"\">\n<"_qs + root + u">\n<GrpHdr><MsgId>AUSZUG-1</MsgId>"_qs
                + u"<CreDtTm>2027-01-31T18:00:00</CreDtTm></GrpHdr>\n<"_qs + report + u">\n<Id>"_qs + id + u"</Id>"_qs
                + u"<CreDtTm>2027-01-31T18:00:00</CreDtTm>\n<Acct><Id><IBAN>"_qs + account + u"</IBAN></Id><Ccy>EUR</Ccy></Acct>\n"_qs;
    if (statement)
        x += u"<Bal><Tp><CdOrPrtry><Cd>CLBD</Cd></CdOrPrtry></Tp>"_qs + amt("Amt", 0)
             + u"<CdtDbtInd>CRDT</CdtDbtInd><Dt><Dt>2027-01-31</Dt></Dt></Bal>\n"_qs;
    x += body;
    x += u"</"_qs + report + u">\n</"_qs + root + u">\n</Document>\n"_qs;
    return x.toUtf8();
}

bool writeZip(const QString &path, const QList<QPair<QString, QByteArray>> &members)
{
    int error = 0;
    zip_t *archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        return false;
    for (const auto &[name, bytes] : members) {
        zip_source_t *source = zip_source_buffer(archive, bytes.constData(), zip_uint64_t(bytes.size()), 0);
        if (!source || zip_file_add(archive, name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8) < 0) {
            zip_source_free(source);
            zip_discard(archive);
            return false;
        }
    }
    return zip_close(archive) == 0; // the buffers are read here
}

} // namespace qvl::test
