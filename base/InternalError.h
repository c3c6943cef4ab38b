#pragma once
// A failure of no kind the program expects (a fault of the program itself, memory gone, a
// library's own exception): it must never end the program unannounced. A thread keeps what
// ended it for the thread that joins it, which throws it on; the run guard, the batch
// program's main and the desktop program's event loop tell it as "Interner Fehler" once the
// run's usual clean-up has run.

#include <QString>
#include <exception>
#include <mutex>
#include <utility>

namespace qvl {

// "Interner Fehler: …" with what is known of the exception.
QString internalErrorText(const std::exception_ptr &failure);

// What ended a thread by an exception, for the thread that joins it.
class ThreadFailure {
public:
    // Runs `work`; an exception it throws is kept (the first one), never let out.
    template <typename Work>
    void guard(Work &&work) noexcept
    {
        try {
            std::forward<Work>(work)();
        } catch (...) {
            keep(std::current_exception());
        }
    }
    void keep(std::exception_ptr failure) noexcept
    {
        std::lock_guard lock(m_mutex);
        if (!m_failure)
            m_failure = std::move(failure);
    }
    bool failed() const
    {
        std::lock_guard lock(m_mutex);
        return bool(m_failure);
    }
    // After the join: throws what the thread threw, once.
    void rethrow()
    {
        std::exception_ptr failure;
        {
            std::lock_guard lock(m_mutex);
            failure = std::exchange(m_failure, nullptr);
        }
        if (failure)
            std::rethrow_exception(failure);
    }

private:
    mutable std::mutex m_mutex;
    std::exception_ptr m_failure;
};

} // namespace qvl
