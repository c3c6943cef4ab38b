#include "bank/ZipArchive.h"

#include <QFile>
#include <QLocale>

#include <zip.h>

namespace qvl {

namespace {

QString germanZipError(int code)
{
    switch (code) {
    case ZIP_ER_NOZIP:
        return u"das ZIP-Archiv ist beschädigt (kein ZIP-Archiv oder unvollständig)"_qs;
    case ZIP_ER_INCONS:
        return u"das ZIP-Archiv ist beschädigt (sein Inhaltsverzeichnis widerspricht sich)"_qs;
    case ZIP_ER_CRC:
        return u"das ZIP-Archiv ist beschädigt (Prüfsumme falsch)"_qs;
    case ZIP_ER_COMPNOTSUPP:
        return u"das ZIP-Archiv ist mit einem Verfahren gepackt, das das Programm nicht kennt"_qs;
    case ZIP_ER_ENCRNOTSUPP:
    case ZIP_ER_NOPASSWD:
    case ZIP_ER_WRONGPASSWD:
        return u"das ZIP-Archiv ist verschlüsselt"_qs;
    case ZIP_ER_READ:
    case ZIP_ER_OPEN:
        return u"das ZIP-Archiv kann nicht gelesen werden"_qs;
    case ZIP_ER_MEMORY:
        return u"das ZIP-Archiv ist zu groß"_qs;
    default:
        return u"das ZIP-Archiv ist beschädigt (Fehler "_qs + QString::number(code) + u')';
    }
}

QString megabytes(qint64 bytes)
{
    const QLocale german(QLocale::German);
    if (bytes < (1 << 20))
        return german.toString((bytes + 1023) / 1024) + u" KB"_qs;
    return german.toString(double(bytes) / (1 << 20), 'f', 0) + u" MB"_qs;
}

} // namespace

bool forEachZipMember(const QString &path, const std::function<void(const QString &, const ZipRead &)> &visit,
                      QString *error, const ZipLimits &limits)
{
    int code = 0;
    zip_t *archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &code);
    if (!archive) {
        if (error)
            *error = germanZipError(code);
        return false;
    }
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    // The sizes the archive declares, checked before anything is unpacked.
    qint64 total = 0;
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(archive, zip_uint64_t(i), 0, &st) != 0)
            continue;
        const QString name = QString::fromUtf8(st.name ? st.name : "");
        const qint64 size = (st.valid & ZIP_STAT_SIZE) ? qint64(std::min<zip_uint64_t>(st.size, 1ull << 62)) : 0;
        const qint64 packed = (st.valid & ZIP_STAT_COMP_SIZE) ? qint64(st.comp_size) : 0;
        total += size;
        QString why;
        if (size > limits.memberBytes)
            why = u"„"_qs + name + u"“ wäre entpackt "_qs + megabytes(size) + u" groß"_qs;
        else if (size > limits.ratioFrom && size > limits.ratio * std::max<qint64>(packed, 1))
            why = u"„"_qs + name + u"“ wäre entpackt "_qs + megabytes(size) + u" groß, gepackt nur "_qs
                  + megabytes(packed) + u" (keine Bankdatei ist so gepackt)"_qs;
        else if (total > limits.totalBytes)
            why = u"es wäre entpackt mehr als "_qs + megabytes(limits.totalBytes) + u" groß"_qs;
        if (!why.isEmpty()) {
            if (error)
                *error = u"das ZIP-Archiv wurde nicht entpackt: "_qs + why;
            zip_discard(archive);
            return false;
        }
    }
    for (zip_int64_t i = 0; i < count; ++i) {
        const char *raw = zip_get_name(archive, zip_uint64_t(i), ZIP_FL_ENC_GUESS);
        const QString name = QString::fromUtf8(raw ? raw : "");
        if (name.isEmpty() || name.endsWith(u'/'))
            continue;
        zip_stat_t st;
        zip_stat_init(&st);
        const qint64 declared = zip_stat_index(archive, zip_uint64_t(i), 0, &st) == 0 && (st.valid & ZIP_STAT_SIZE)
                                    ? qint64(st.size)
                                    : limits.memberBytes;
        zip_file_t *member = zip_fopen_index(archive, zip_uint64_t(i), 0);
        qint64 unpacked = 0;
        // A member is never read past what it declared (libzip checks the declared size
        // against its CRC only at the end).
        const ZipRead read = [member, &unpacked, declared](char *buffer, qint64 size) -> qint64 {
            if (!member)
                return -1;
            const qint64 n = qint64(zip_fread(member, buffer, zip_uint64_t(size)));
            if (n > 0 && (unpacked += n) > declared)
                return -1;
            return n;
        };
        visit(name, read);
        if (member)
            zip_fclose(member);
    }
    zip_discard(archive);
    return true;
}

} // namespace qvl
