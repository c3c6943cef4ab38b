#include "base/InternalError.h"

#include <stdexcept>
#include <typeinfo>

namespace qvl {

QString internalErrorText(const std::exception_ptr &failure)
{
    const QString head = u"Interner Fehler: "_qs;
    try {
        if (failure)
            std::rethrow_exception(failure);
    } catch (const std::bad_alloc &) {
        return head + u"Der Arbeitsspeicher reicht nicht aus."_qs;
    } catch (const std::exception &e) {
        const QString what = QString::fromUtf8(e.what()).trimmed();
        return head + (what.isEmpty() ? QString::fromLatin1(typeid(e).name()) : what);
    } catch (...) {
    }
    return head + u"eine unbekannte Ausnahme."_qs;
}

} // namespace qvl
