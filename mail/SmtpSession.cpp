#include "mail/SmtpSession.h"

#include "mail/MailAddress.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <mutex>

namespace qvl {

using WaitClock = std::chrono::steady_clock;

struct SmtpSession::Data {
    MailSettings settings;
    SmtpWaits waits;
    QByteArray password;
    std::function<bool()> cancelled;
    CURL *curl = nullptr;
    char errorBuffer[CURL_ERROR_SIZE] = {};
    // The mail on its way: its bytes and how many of them libcurl has taken.
    const QByteArray *message = nullptr;
    qsizetype offset = 0;
    // The last command sent (its first word only: never the login's secrets) and the
    // server's last reply.
    QByteArray lastCommand;
    QByteArray lastReply;
    // After a failed mail libcurl closes the connection with QUIT: its "221" must not
    // hide the answer that failed the mail.
    bool quitting = false;
    // The mail's text: asked to be marked before its first byte, wholly handed over, and
    // whether the server answered after that.
    const std::function<QString()> *beforeData = nullptr;
    bool dataBegun = false;
    QString markProblem;
    bool endGiven = false;
    bool answeredEnd = false;
    // The answer awaited: since when, for how long (seconds, 0: none), and for what.
    WaitClock::time_point waitingSince;
    int waitLimit = 0;
    QByteArray waitingFor;
    bool timedOut = false;

    void await(int seconds, QByteArray what)
    {
        waitingSince = WaitClock::now();
        waitLimit = seconds;
        waitingFor = std::move(what);
    }

    int replyCode() const
    {
        bool ok = false;
        const int code = lastReply.left(3).toInt(&ok);
        return ok ? code : 0;
    }
};

namespace {

void initCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

size_t readMessage(char *buffer, size_t size, size_t count, void *user)
{
    auto *d = static_cast<SmtpSession::Data *>(user);
    if (!d->dataBegun) {
        d->dataBegun = true;
        if (d->beforeData && *d->beforeData) {
            d->markProblem = (*d->beforeData)();
            if (!d->markProblem.isEmpty())
                return CURL_READFUNC_ABORT;
        }
    }
    const qsizetype left = d->message->size() - d->offset;
    const size_t n = std::min(size * count, size_t(left));
    std::memcpy(buffer, d->message->constData() + d->offset, n);
    d->offset += qsizetype(n);
    // Knowing the mail's size, the library asks for no more once it has the last byte: from
    // then on the end goes out and the server may take the mail at any moment.
    if (d->offset >= d->message->size()) {
        if (!d->endGiven) {
            d->endGiven = true;
            d->await(d->waits.dataEnd, ".");
        }
    } else {
        d->await(d->waits.dataBlock, "DATA");
    }
    return n;
}

int progress(void *user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    auto *d = static_cast<SmtpSession::Data *>(user);
    // Once the whole mail is handed over, the server's answer is awaited: cancelling then
    // could leave a mail the server took without the program knowing.
    const bool handedOver = d->message && d->offset >= d->message->size();
    if (d->cancelled && !handedOver && d->cancelled())
        return 1;
    if (d->waitLimit > 0 && WaitClock::now() - d->waitingSince > std::chrono::seconds(d->waitLimit)) {
        d->timedOut = true;
        return 1;
    }
    return 0;
}

int trace(CURL *, curl_infotype type, char *data, size_t size, void *user)
{
    auto *d = static_cast<SmtpSession::Data *>(user);
    const QByteArray text(data, qsizetype(size));
    if (d->quitting)
        return 0;
    if (type == CURLINFO_HEADER_OUT) {
        const qsizetype blank = text.indexOf(' ');
        const QByteArray command = (blank < 0 ? text : text.left(blank)).trimmed().toUpper();
        if (command == "QUIT") {
            d->quitting = true;
        } else {
            d->lastCommand = command;
            d->await(command == "DATA" ? d->waits.dataStart : d->waits.command, command);
        }
    } else if (type == CURLINFO_HEADER_IN) {
        d->lastReply = text.trimmed();
        d->waitLimit = 0;
        if (d->endGiven)
            d->answeredEnd = true;
    }
    return 0;
}

QString serverAnswer(const SmtpSession::Data &d)
{
    return QString::fromUtf8(d.lastReply).simplified();
}

QString curlText(const SmtpSession::Data &d, CURLcode code)
{
    const QString detail = QString::fromUtf8(d.errorBuffer).trimmed();
    return detail.isEmpty() ? QString::fromUtf8(curl_easy_strerror(code)) : detail;
}

SmtpResult stopped(const QString &text, int code = 0)
{
    return {SmtpResult::Kind::Stopped, code, text};
}

// The library's own words, for whoever looks after the mail server, below the German text.
QString details(const SmtpSession::Data &d, CURLcode res)
{
    QString text = curlText(d, res);
    if (d.lastReply.size() > 0)
        text += u"; letzte Antwort des Mailservers: "_qs + serverAnswer(d);
    return u"\nDetails: "_qs + text;
}

QString serverName(const SmtpSession::Data &d)
{
    return d.settings.server.trimmed() + u':' + QString::number(d.settings.port);
}

QString minutes(int seconds)
{
    if (seconds % 60 != 0)
        return QString::number(seconds) + u" Sekunden"_qs;
    return seconds == 60 ? u"einer Minute"_qs : QString::number(seconds / 60) + u" Minuten"_qs;
}

// What was awaited in vain, for the clerk: a command's answer or the answer to the mail.
QString awaitedInVain(const SmtpSession::Data &d)
{
    QString what;
    if (d.waitingFor == ".")
        what = u"auf das Ende der E-Mail"_qs;
    else if (d.waitingFor.isEmpty())
        what = u"auf die Verbindung"_qs;
    else
        what = u"auf „"_qs + QString::fromLatin1(d.waitingFor) + u"“"_qs;
    return u"Antwort des Mailservers ausgeblieben: "_qs + serverName(d) + u" hat "_qs + what
           + u" nicht innerhalb von "_qs + minutes(d.waitLimit) + u" geantwortet."_qs;
}

SmtpResult failure(const SmtpSession::Data &d, CURLcode res, int code)
{
    const bool mailPhase = d.lastCommand == "RCPT" || d.lastCommand == "DATA";
    if (mailPhase && code >= 500 && code < 600)
        return {SmtpResult::Kind::Refused, code, serverAnswer(d)};
    if (mailPhase && code >= 400 && code < 500)
        return {SmtpResult::Kind::Temporary, code, serverAnswer(d)};
    const QString server = serverName(d);
    switch (res) {
    case CURLE_COULDNT_RESOLVE_HOST:
        return stopped(u"Den Mailserver „"_qs + d.settings.server.trimmed()
                       + u"“ gibt es nicht: sein Name ist unbekannt. Stimmt SMTPServer in der Einstellungsdatei?"_qs
                       + details(d, res));
    case CURLE_COULDNT_CONNECT:
        return stopped(u"Der Mailserver "_qs + server + u" ist nicht erreichbar. Stimmen SMTPServer und SMTPPort?"_qs
                       + details(d, res));
    case CURLE_OPERATION_TIMEDOUT:
        if (d.lastReply.isEmpty() && d.lastCommand.isEmpty())
            return stopped(u"Der Mailserver "_qs + server + u" ist nicht erreichbar: er hat die Verbindung nicht "
                                                           "angenommen."_qs
                           + details(d, res));
        return stopped(u"Antwort des Mailservers ausgeblieben: "_qs + server + u" hat nicht rechtzeitig geantwortet."_qs
                           + details(d, res),
                       code);
    case CURLE_USE_SSL_FAILED:
        return stopped(u"Der Mailserver "_qs + server
                           + u" bietet keine Verschlüsselung (STARTTLS) an. Ohne Verschlüsselung werden keine E-Mails "
                             "versendet."_qs
                           + details(d, res),
                       code);
    case CURLE_LOGIN_DENIED:
        return stopped(u"Der Mailserver hat die Anmeldung als „"_qs + d.settings.user + u"“ abgelehnt. Stimmt das Passwort in "_qs
                           + QString::fromLatin1(kSmtpPasswordVariable) + u"?"_qs + details(d, res),
                       code);
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
        if (res == CURLE_SSL_CACERT_BADFILE || !d.settings.caFile.isEmpty())
            return stopped(u"Dem Zertifikat des Mailservers "_qs + server
                               + u" wird nicht vertraut: die CA-Datei aus SMTPZertifikat („"_qs + d.settings.caFile
                               + u"“) bestätigt es nicht oder ist nicht lesbar."_qs + details(d, res),
                           code);
        return stopped(u"Dem Zertifikat des Mailservers "_qs + server
                           + u" wird nicht vertraut: die Zertifikate des Systems bestätigen es nicht. Hat der Server ein "
                             "eigenes Zertifikat, tragen Sie die Datei seiner Zertifizierungsstelle als SMTPZertifikat "
                             "ein."_qs
                           + details(d, res),
                       code);
    case CURLE_SSL_CONNECT_ERROR:
        return stopped(u"Die verschlüsselte Verbindung zum Mailserver "_qs + server + u" kam nicht zustande."_qs
                           + details(d, res),
                       code);
    default:
        break;
    }
    if (d.lastCommand == "MAIL" && code == 530 && d.settings.user.trimmed().isEmpty())
        return stopped(u"Der Mailserver "_qs + server
                           + u" verlangt eine Anmeldung, in SMTPBenutzer ist aber kein Benutzer eingetragen."_qs
                           + details(d, res),
                       code);
    if (d.lastCommand == "MAIL" && code == 530)
        return stopped(u"Der Mailserver "_qs + server + u" verlangt eine Anmeldung, die er nicht angeboten hat."_qs
                           + details(d, res),
                       code);
    if (d.lastCommand == "MAIL" && code >= 400)
        return stopped(u"Der Mailserver nimmt keine E-Mails vom Absender an."_qs + details(d, res), code);
    if (code > 0 && res != CURLE_RECV_ERROR && res != CURLE_SEND_ERROR && res != CURLE_GOT_NOTHING)
        return stopped(u"Der Mailserver "_qs + server + u" hat den Versand abgelehnt."_qs + details(d, res), code);
    return stopped(u"Die Verbindung zum Mailserver "_qs + server + u" ist abgebrochen."_qs + details(d, res), code);
}

} // namespace

SmtpSession::SmtpSession(const MailSettings &settings, QByteArray password, std::function<bool()> cancelled,
                         SmtpWaits waits)
    : d(std::make_unique<Data>())
{
    initCurlOnce();
    d->settings = settings;
    d->waits = waits;
    d->password = std::move(password);
    d->cancelled = std::move(cancelled);
    d->curl = curl_easy_init();
}

SmtpSession::~SmtpSession()
{
    if (d->curl)
        curl_easy_cleanup(d->curl);
    d->password.fill('\0');
}

QString SmtpSession::settingsProblem() const
{
    if (!d->curl)
        return u"Die Bibliothek für den E-Mail-Versand (libcurl) kann nicht verwendet werden."_qs;
    if (d->settings.server.trimmed().isEmpty())
        return u"Es ist kein Mailserver eingestellt (SMTPServer in der Einstellungsdatei)."_qs;
    if (d->settings.port <= 0 || d->settings.port > 65535)
        return u"Der Port des Mailservers ist ungültig (SMTPPort)."_qs;
    if (d->settings.tls == SmtpTls::None && !d->settings.allowUnencrypted)
        return u"Ohne Verschlüsselung werden keine E-Mails versendet: SMTPVerschluesselung ist „Keine“, "
               "SMTPUnverschluesseltErlaubt aber nicht gesetzt."_qs;
    return {};
}

SmtpResult SmtpSession::send(const QString &sender, const QStringList &recipients, const QByteArray &message,
                              const std::function<QString()> &beforeData)
{
    if (const QString problem = settingsProblem(); !problem.isEmpty())
        return stopped(problem);
    CURL *c = d->curl;
    const MailSettings &s = d->settings;
    const QByteArray url = (s.tls == SmtpTls::Implicit ? "smtps://" : "smtp://") + s.server.trimmed().toUtf8() + ':'
                           + QByteArray::number(s.port);
    const QByteArray from = '<' + asciiMailAddress(sender).toUtf8() + '>';
    curl_slist *rcpt = nullptr;
    for (const QString &r : recipients)
        rcpt = curl_slist_append(rcpt, ('<' + asciiMailAddress(r).toUtf8() + '>').constData());
    const QByteArray user = s.user.toUtf8();
    const QByteArray caFile = s.caFile.toUtf8();

    curl_easy_setopt(c, CURLOPT_URL, url.constData());
    curl_easy_setopt(c, CURLOPT_USE_SSL,
                     long(s.tls == SmtpTls::None ? CURLUSESSL_NONE
                                                 : (s.allowUnencrypted ? CURLUSESSL_TRY : CURLUSESSL_ALL)));
    if (!caFile.isEmpty())
        curl_easy_setopt(c, CURLOPT_CAINFO, caFile.constData());
    if (!user.isEmpty()) {
        curl_easy_setopt(c, CURLOPT_USERNAME, user.constData());
        curl_easy_setopt(c, CURLOPT_PASSWORD, d->password.constData());
    }
    curl_easy_setopt(c, CURLOPT_MAIL_FROM, from.constData());
    curl_easy_setopt(c, CURLOPT_MAIL_RCPT, rcpt);
    curl_easy_setopt(c, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(c, CURLOPT_READFUNCTION, readMessage);
    curl_easy_setopt(c, CURLOPT_READDATA, d.get());
    curl_easy_setopt(c, CURLOPT_INFILESIZE_LARGE, curl_off_t(message.size()));
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, progress);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, d.get());
    curl_easy_setopt(c, CURLOPT_VERBOSE, 1L); // the trace reads the dialogue, nothing is printed
    curl_easy_setopt(c, CURLOPT_DEBUGFUNCTION, trace);
    curl_easy_setopt(c, CURLOPT_DEBUGDATA, d.get());
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, d->errorBuffer);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, 20L);
    // Each answer is awaited as long as its step may take (the progress function ends the
    // wait); the library's own limit only behind that, never before it.
    const SmtpWaits &w = d->waits;
    const long longest = std::max({w.command, w.dataStart, w.dataBlock, w.dataEnd});
    curl_easy_setopt(c, CURLOPT_SERVER_RESPONSE_TIMEOUT, longest + 30L);
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);

    d->message = &message;
    d->offset = 0;
    d->lastCommand.clear();
    d->lastReply.clear();
    d->quitting = false;
    d->beforeData = &beforeData;
    d->dataBegun = false;
    d->markProblem.clear();
    d->endGiven = false;
    d->answeredEnd = false;
    d->timedOut = false;
    d->await(d->waits.command, {}); // the greeting, on a new connection
    d->errorBuffer[0] = '\0';
    const CURLcode res = curl_easy_perform(c);
    d->beforeData = nullptr;
    long code = d->replyCode();
    if (code == 0)
        curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &code);
    curl_easy_setopt(c, CURLOPT_MAIL_RCPT, nullptr);
    curl_slist_free_all(rcpt);
    d->message = nullptr;

    if (res == CURLE_OK)
        return {SmtpResult::Kind::Accepted, int(code), serverAnswer(*d)};
    if (!d->markProblem.isEmpty())
        return stopped(d->markProblem);
    if (d->endGiven && !d->answeredEnd) {
        // The server has the whole mail and said nothing about it: it may have taken it.
        const QString why = d->timedOut || res == CURLE_OPERATION_TIMEDOUT
                                ? awaitedInVain(*d)
                                : u"Die Verbindung zum Mailserver "_qs + serverName(*d)
                                      + u" ist abgebrochen, nachdem er die ganze E-Mail erhalten hatte, vor seiner "
                                        "Antwort."_qs + details(*d, res);
        return {SmtpResult::Kind::Uncertain, int(code), why};
    }
    if (d->timedOut)
        return stopped(awaitedInVain(*d), int(code));
    if (res == CURLE_ABORTED_BY_CALLBACK)
        return {SmtpResult::Kind::Cancelled, int(code), u"Abgebrochen."_qs};
    return failure(*d, res, int(code));
}

} // namespace qvl
