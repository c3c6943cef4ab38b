#include "text/Translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace qvl {

bool installGermanTranslation()
{
    auto *app = QCoreApplication::instance();
    if (!app)
        return false;
    const QLocale german(QLocale::German, QLocale::Germany);
    const QString folders[] = {QCoreApplication::applicationDirPath() + u"/translations"_qs,
                               QLibraryInfo::path(QLibraryInfo::TranslationsPath)};
    for (const QString &folder : folders) {
        auto *translator = new QTranslator(app);
        if (translator->load(german, u"qtbase"_qs, u"_"_qs, folder) && QCoreApplication::installTranslator(translator))
            return true;
        delete translator;
    }
    return false;
}

} // namespace qvl
