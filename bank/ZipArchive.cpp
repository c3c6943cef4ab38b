#include "bank/ZipArchive.h"

#include <QFile>

#include <zip.h>

namespace qvl {

bool forEachZipMember(const QString &path, const std::function<void(const QString &, const ZipRead &)> &visit,
                      QString *error)
{
    int code = 0;
    zip_t *archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &code);
    if (!archive) {
        zip_error_t e;
        zip_error_init_with_code(&e, code);
        if (error)
            *error = QString::fromUtf8(zip_error_strerror(&e));
        zip_error_fini(&e);
        return false;
    }
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const char *raw = zip_get_name(archive, zip_uint64_t(i), ZIP_FL_ENC_GUESS);
        const QString name = QString::fromUtf8(raw ? raw : "");
        if (name.isEmpty() || name.endsWith(u'/'))
            continue;
        zip_file_t *member = zip_fopen_index(archive, zip_uint64_t(i), 0);
        const ZipRead read = [member](char *buffer, qint64 size) -> qint64 {
            if (!member)
                return -1;
            return qint64(zip_fread(member, buffer, zip_uint64_t(size)));
        };
        visit(name, read);
        if (member)
            zip_fclose(member);
    }
    zip_close(archive);
    return true;
}

} // namespace qvl
