#pragma once
// A thread of the program may end before the program does; what it leaves must stay valid
// to the end. Call once at the start of every program, before Qt is used.
//
// On Windows (mingw-w64: GCC's emulated thread-local storage on winpthreads) an object
// declared thread_local that has a destructor is destroyed when its thread ends, but only
// after the thread's copy of it has been freed: the destructor reads freed memory. Qt Core
// keeps the JIT stack of its regular expressions in such an object and registers it on a
// thread's first match run by the JIT, so a worker thread that had matched a regular
// expression (the mails' addresses, the PDF's references) died in Qt Core as it ended.
// There the regular expressions run on PCRE2's interpreter, which never touches that object.
// For the same reason the program's own per-thread objects live in QThreadStorage, never in
// a thread_local with a destructor (scripts/windows/build.sh checks the programs for it).

namespace qvl {

void prepareThreadEnd();

} // namespace qvl
