// The frame of the bank file: its start with the group header and the payment
// information, and its end; the transactions between them are in SepaTransactionBlock.cpp.

#include "sepa/SepaDocument.h"

#include "text/Conversions.h"
#include "sepa/SepaBlock.h"

namespace qvl {

namespace {

QString documentStartTag(SepaFormat format)
{
    const QString name = sepaFormatText(format);
    const QString ns = u"urn:iso:std:iso:20022:tech:xsd:"_qs + name;
    return u"<Document xmlns=\""_qs + ns
        + u"\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xsi:schemaLocation=\""_qs + ns
        + u' ' + name + u".xsd\">"_qs;
}

// The group header: the message's id, its creation time, count and sum, and who sends it.
void groupHeader(SepaBlock &block, const SepaHeader &header, const QString &creditorName, const QString &count,
                 const QString &created)
{
    block.line(5, "<GrpHdr>");
    block.element(9, "MsgId", header.messageId);
    block.element(9, "CreDtTm", created);
    block.element(9, "NbOfTxs", count);
    block.element(9, "CtrlSum", header.controlSum);
    block.line(9, "<InitgPty>");
    block.element(15, "Nm", creditorName);
    block.line(9, "</InitgPty>");
    block.line(5, "</GrpHdr>");
}

// The start of the one payment information: a recurring core direct debit of all
// transactions on one due date to the creditor's account. The transactions follow it.
void paymentInformation(SepaBlock &block, SepaFormat format, const SepaHeader &header, const QString &creditorName,
                        const QString &count)
{
    block.line(5, "<PmtInf>");
    block.line(9, "<PmtInfId>LS00", header.messageId, "</PmtInfId>");
    block.line(9, "<PmtMtd>DD</PmtMtd>");
    block.line(9, "<BtchBookg>true</BtchBookg>");
    block.element(9, "NbOfTxs", count);
    block.element(9, "CtrlSum", header.controlSum);
    block.line(9, "<PmtTpInf>");
    block.line(13, "<SvcLvl>");
    block.line(17, "<Cd>SEPA</Cd>");
    block.line(13, "</SvcLvl>");
    block.line(13, "<LclInstrm>");
    block.line(17, "<Cd>CORE</Cd>");
    block.line(13, "</LclInstrm>");
    block.line(13, "<SeqTp>RCUR</SeqTp>");
    block.line(9, "</PmtTpInf>");
    block.element(9, "ReqdColltnDt", header.dueDate);
    block.line(9, "<Cdtr>");
    block.element(13, "Nm", creditorName);
    block.line(9, "</Cdtr>");
    block.line(9, "<CdtrAcct>");
    block.line(13, "<Id>");
    block.element(17, "IBAN", header.creditorIban);
    block.line(13, "</Id>");
    block.line(9, "</CdtrAcct>");
    block.line(9, "<CdtrAgt>");
    block.line(13, "<FinInstnId>");
    block.element(17, sepaBicTag(format), header.creditorBic);
    block.line(13, "</FinInstnId>");
    block.line(9, "</CdtrAgt>");
}

} // namespace

QByteArray sepaHeaderBlock(SepaFormat format, const SepaHeader &header)
{
    const QString creditorName = sepaFreeText(header.creditorName, kSepaNameLength);
    const QString count = QString::number(header.numberOfTransactions);
    const QString created =
        formatDate(header.created, u"yyyy-mm-dd"_qs) + u'T' + formatDate(header.created, u"HH:MM:SS"_qs);

    SepaBlock block;
    block.line(0, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
    block.line(0, documentStartTag(format).toUtf8());
    block.line(1, "<CstmrDrctDbtInitn>");
    groupHeader(block, header, creditorName, count, created);
    paymentInformation(block, format, header, creditorName, count);
    return block.bytes();
}

QByteArray sepaFooterBlock(SepaFormat /*format*/)
{
    SepaBlock block;
    block.line(8, "</PmtInf>");
    block.line(1, "</CstmrDrctDbtInitn>");
    block.line(0, "</Document>");
    return block.bytes();
}

} // namespace qvl
