#pragma once

#include <csignal>
#include <sys/resource.h>

namespace pwtest {

// While it lives, no file of this process may grow past `bytes`: a write beyond fails with EFBIG
// (SIGXFSZ ignored), as on a disk that is full after that many bytes. The old limit and signal
// handling come back on destruction.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
        : m_handler(std::signal(SIGXFSZ, SIG_IGN))
    {
        m_active = getrlimit(RLIMIT_FSIZE, &m_previous) == 0;
        rlimit limited = m_previous;
        limited.rlim_cur = bytes;
        m_active = m_active && setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit()
    {
        if (m_active)
            setrlimit(RLIMIT_FSIZE, &m_previous);
        std::signal(SIGXFSZ, m_handler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;
    bool isActive() const { return m_active; }

private:
    rlimit m_previous {};
    sighandler_t m_handler;
    bool m_active = false;
};

} // namespace pwtest
