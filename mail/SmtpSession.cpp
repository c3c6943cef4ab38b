#include "mail/SmtpSession.h"

#include "mail/MailAddress.h"

#include <curl/curl.h>

#include <cstring>
#include <mutex>

namespace qvl {

struct SmtpSession::Data {
    MailSettings settings;
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
    const qsizetype left = d->message->size() - d->offset;
    const size_t n = std::min(size * count, size_t(left));
    std::memcpy(buffer, d->message->constData() + d->offset, n);
    d->offset += qsizetype(n);
    return n;
}

int progress(void *user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    auto *d = static_cast<SmtpSession::Data *>(user);
    // Once the whole mail is handed over, the server's answer is awaited: cancelling then
    // could leave a mail the server took without the program knowing.
    const bool handedOver = d->message && d->offset >= d->message->size();
    return d->cancelled && !handedOver && d->cancelled() ? 1 : 0;
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
        if (command == "QUIT")
            d->quitting = true;
        else
            d->lastCommand = command;
    } else if (type == CURLINFO_HEADER_IN) {
        d->lastReply = text.trimmed();
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

SmtpResult failure(const SmtpSession::Data &d, CURLcode res, int code)
{
    const bool mailPhase = d.lastCommand == "RCPT" || d.lastCommand == "DATA";
    if (mailPhase && code >= 500 && code < 600)
        return {SmtpResult::Kind::Refused, code, serverAnswer(d)};
    if (mailPhase && code >= 400 && code < 500)
        return {SmtpResult::Kind::Temporary, code, serverAnswer(d)};
    const QString server = d.settings.server + u':' + QString::number(d.settings.port);
    switch (res) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
    case CURLE_OPERATION_TIMEDOUT:
        return stopped(u"Der Mailserver "_qs + server + u" ist nicht erreichbar ("_qs + curlText(d, res) + u")."_qs);
    case CURLE_USE_SSL_FAILED:
        return stopped(u"Der Mailserver "_qs + server
                       + u" bietet keine Verschlüsselung (STARTTLS) an. Ohne Verschlüsselung werden keine E-Mails "
                         "versendet."_qs,
                       code);
    case CURLE_LOGIN_DENIED:
        return stopped(u"Der Mailserver hat die Anmeldung als „"_qs + d.settings.user + u"“ abgelehnt ("_qs
                           + serverAnswer(d) + u"). Stimmt das Passwort in "_qs
                           + QString::fromLatin1(kSmtpPasswordVariable) + u"?"_qs,
                       code);
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CONNECT_ERROR:
        return stopped(u"Die verschlüsselte Verbindung zum Mailserver "_qs + server
                       + u" kam nicht zustande: "_qs + curlText(d, res));
    default:
        break;
    }
    if (d.lastCommand == "MAIL" && code >= 400)
        return stopped(u"Der Mailserver nimmt keine E-Mails vom Absender an ("_qs + serverAnswer(d) + u")."_qs, code);
    QString text = u"Der Mailserver "_qs + server + u" hat die Verbindung abgebrochen ("_qs + curlText(d, res);
    if (code > 0)
        text += u"; letzte Antwort: "_qs + serverAnswer(d);
    return stopped(text + u")."_qs, code);
}

} // namespace

SmtpSession::SmtpSession(const MailSettings &settings, QByteArray password, std::function<bool()> cancelled)
    : d(std::make_unique<Data>())
{
    initCurlOnce();
    d->settings = settings;
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

SmtpResult SmtpSession::send(const QString &sender, const QStringList &recipients, const QByteArray &message)
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
    // A server that stops answering ends the mail after a minute, not never.
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, 60L);
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);

    d->message = &message;
    d->offset = 0;
    d->lastCommand.clear();
    d->lastReply.clear();
    d->quitting = false;
    d->errorBuffer[0] = '\0';
    const CURLcode res = curl_easy_perform(c);
    long code = d->replyCode();
    if (code == 0)
        curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &code);
    curl_easy_setopt(c, CURLOPT_MAIL_RCPT, nullptr);
    curl_slist_free_all(rcpt);
    d->message = nullptr;

    if (res == CURLE_OK)
        return {SmtpResult::Kind::Accepted, int(code), serverAnswer(*d)};
    if (res == CURLE_ABORTED_BY_CALLBACK)
        return {SmtpResult::Kind::Cancelled, int(code), u"Abgebrochen."_qs};
    return failure(*d, res, int(code));
}

} // namespace qvl
