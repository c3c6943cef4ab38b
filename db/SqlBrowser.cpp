#include "db/SqlBrowser.h"

#include <QDeadlineTimer>
#include <QHostAddress>
#include <QHostInfo>
#include <QUdpSocket>

namespace qvl {

namespace {

constexpr char kInstanceRequest = 0x04; // CLNT_UCAST_INST
constexpr char kServerAnswer = 0x05;    // SVR_RESP

QString notFound(const QString &host, const QString &instance, const QString &why)
{
    return u"Die Instanz „"_qs + instance + u"“ des SQL Servers auf „"_qs + host + u"“ wurde nicht gefunden: "_qs + why
           + u" Läuft der Dienst „SQL Server Browser“ auf dem Server und ist UDP-Port 1434 in seiner Firewall "
             "freigegeben? Sonst geben Sie den Port an („Server\\Instanz,Port“ oder „Server,Port“)."_qs;
}

} // namespace

int instancePortOfAnswer(const QByteArray &answer, const QString &instance)
{
    // One ";;"-ended record per instance; the unicast answer holds the one asked for.
    const QList<QByteArray> records = answer.split(';');
    bool ours = false;
    for (qsizetype i = 0; i + 1 < records.size(); i += 2) {
        const QString key = QString::fromLatin1(records.at(i)).trimmed();
        const QString value = QString::fromLocal8Bit(records.at(i + 1)).trimmed();
        if (key.isEmpty()) { // the end of a record: the next one starts one field later
            --i;
            ours = false;
            continue;
        }
        if (key.compare(u"InstanceName"_qs, Qt::CaseInsensitive) == 0)
            ours = value.compare(instance, Qt::CaseInsensitive) == 0;
        else if (ours && key.compare(u"tcp"_qs, Qt::CaseInsensitive) == 0) {
            bool ok = false;
            const int port = value.toInt(&ok);
            return ok && port > 0 && port < 65536 ? port : 0;
        }
    }
    return 0;
}

InstancePort sqlBrowserInstancePort(const QString &host, const QString &instance, int timeoutSeconds,
                                    quint16 browserPort)
{
    InstancePort out;
    const QDeadlineTimer deadline(qint64(std::max(1, timeoutSeconds)) * 1000);
    QHostAddress address(host);
    if (address.isNull()) {
        const QHostInfo info = QHostInfo::fromName(host);
        for (const QHostAddress &a : info.addresses())
            if (a.protocol() == QAbstractSocket::IPv4Protocol || address.isNull())
                address = a;
        if (address.isNull()) {
            out.error = u"Der Rechner „"_qs + host + u"“ ist unbekannt (Name nicht auflösbar)."_qs;
            return out;
        }
    }
    QUdpSocket socket;
    QByteArray request(1, kInstanceRequest);
    request += instance.toLocal8Bit();
    request += '\0';
    // UDP may lose the question: asked again every second until the time-out.
    while (!deadline.hasExpired()) {
        if (socket.writeDatagram(request, address, browserPort) < 0) {
            out.error = notFound(host, instance, socket.errorString() + u'.');
            return out;
        }
        QDeadlineTimer again(std::min<qint64>(1000, deadline.remainingTime()));
        while (!again.hasExpired() && socket.waitForReadyRead(int(again.remainingTime()))) {
            while (socket.hasPendingDatagrams()) {
                QByteArray answer(qsizetype(std::max<qint64>(socket.pendingDatagramSize(), 0)), '\0');
                socket.readDatagram(answer.data(), answer.size());
                if (answer.size() < 3 || answer.at(0) != kServerAnswer)
                    continue;
                out.port = instancePortOfAnswer(answer.mid(3), instance);
                if (out.port == 0)
                    out.error = notFound(host, instance, u"der SQL-Server-Browser kennt sie nicht oder nennt keinen "
                                                          "TCP-Port für sie."_qs);
                return out;
            }
        }
    }
    out.error = notFound(host, instance, u"der SQL-Server-Browser hat nicht innerhalb von "_qs
                                             + QString::number(std::max(1, timeoutSeconds)) + u" Sekunden geantwortet."_qs);
    return out;
}

} // namespace qvl
