#include "fibu/FibuFiles.h"

#include "files/AnsiTextFile.h"
#include "text/Conversions.h"
#include "base/FaultPoints.h"
#include "os/Paths.h"
#include "files/RunOutputs.h"
#include "core/RunError.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace qvl::fibu {

namespace {

WriteError failed(const QString &file, const QString &text)
{
    return WriteError(file, text);
}

QString notWritten(const QString &file)
{
    return u"Die FIBU-Datei „"_qs + file + u"“ wurde nicht geschrieben."_qs;
}

WriteError allTaken(const QString &folder, const std::function<QStringList(int)> &names)
{
    return failed(joinPath(folder, names(1).value(0)), u"Alle "_qs + QString::number(kFileNumbers) + u" Dateinummern des Tages und der Name ohne Nummer "
                  "sind vergeben („"_qs + names(1).value(0) + u"“ bis „"_qs + names(kFileNumbers).value(0) + u"“ und „"_qs
                  + names(0).value(0) + u"“ im Ordner „"_qs + folder + u"“). "_qs
                  + u"Die FIBU-Übernahme wurde nicht geschrieben."_qs);
}

} // namespace

QString field(const QString &value, QStringView unsafe)
{
    QString out = value;
    for (QChar &c : out)
        if (c == u'\r' || c == u'\n' || unsafe.contains(c))
            c = u' ';
    return out;
}

QStringList writeNumberedFiles(RunOutputs *outputs, const QString &folder, const std::function<QStringList(int)> &names,
                               const QList<QStringList> &contents)
{
    const QStringList first = names(1);
    if (!QFileInfo(folder).isDir())
        throw failed(joinPath(folder, first.value(0)), u"Der Zielordner für die FIBU-Übernahme „"_qs + folder + u"“ wurde nicht gefunden. "_qs
                     + notWritten(joinPath(folder, first.value(0))));
    if (outputs) {
        // Within a run: written whole and hidden now, named with their number after the
        // run's commit.
        QStringList bases;
        for (const QString &name : names(0))
            bases.append(joinPath(folder, name));
        const int first = firstFreeNumber(bases, Naming::DayNumber);
        if (first == 0)
            throw allTaken(folder, names);
        const int group = outputs->newGroup();
        QStringList paths;
        for (qsizetype i = 0; i < contents.size(); ++i) {
            std::unique_ptr<CheckedNewFile> file = outputs->createHidden(bases.value(i));
            if (!file->openForWriting() || file->write(ansiBytes(contents[i])) < 0 || !file->finishUnnamed())
                throw failed(bases.value(i), file->errorText() + u"\r"_qs + notWritten(bases.value(i)));
            paths.append(outputs->add(std::move(file), bases.value(i), Naming::DayNumber, group, first));
            faultPoint("fibu-datei");
        }
        return paths;
    }
    std::vector<std::unique_ptr<CheckedNewFile>> files;
    for (qsizetype i = 0; i < contents.size(); ++i) {
        const QString path = joinPath(folder, first.value(i));
        auto file = std::make_unique<CheckedNewFile>(path);
        if (!file->openForWriting() || file->write(ansiBytes(contents[i])) < 0 || !file->finishUnnamed())
            throw failed(path, file->errorText() + u"\r"_qs + notWritten(path));
        files.push_back(std::move(file));
    }

    faultPoint("fibu-datei");
    for (int k = 1; k <= kFileNumbers + 1; ++k) {
        const int n = k <= kFileNumbers ? k : 0;
        QStringList paths;
        for (const QString &name : names(n))
            paths.append(joinPath(folder, name));
        if (std::any_of(paths.cbegin(), paths.cend(), [](const QString &p) { return QFileInfo::exists(p); }))
            continue;
        QStringList temporaries; // of the files already named under this number
        bool taken = false;
        for (std::size_t i = 0; i < files.size() && !taken; ++i) {
            const QString temporary = files[i]->fileName();
            switch (files[i]->publishAs(paths[qsizetype(i)])) {
            case CheckedNewFile::Publish::Done:
                temporaries.append(temporary);
                break;
            case CheckedNewFile::Publish::Taken: // by another program in the meantime
                taken = true;
                break;
            case CheckedNewFile::Publish::Failed:
                for (qsizetype j = 0; j < temporaries.size(); ++j)
                    files[std::size_t(j)]->unpublish(temporaries[j]);
                throw failed(paths[qsizetype(i)], files[i]->errorText() + u"\r"_qs + notWritten(paths[qsizetype(i)]));
            }
        }
        if (!taken)
            return paths;
        // The partners must share their number: those named already take the next one.
        for (qsizetype j = 0; j < temporaries.size(); ++j)
            files[std::size_t(j)]->unpublish(temporaries[j]);
    }
    throw allTaken(folder, names);
}

} // namespace qvl::fibu
