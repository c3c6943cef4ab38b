#include "os/ThreadEnd.h"

#include <QtGlobal>

namespace qvl {

void prepareThreadEnd()
{
#ifdef Q_OS_WIN
    // Read by Qt once, at the first regular expression it compiles; set unconditionally, as
    // a JIT asked for from outside would bring the crash back.
    qputenv("QT_ENABLE_REGEXP_JIT", "0");
#endif
}

} // namespace qvl
