#pragma once

#include <QFile>
#include <QString>

#include <sys/inotify.h>
#include <unistd.h>

namespace pwtest {

// Opens (and reads) of files, told by the kernel while the watch lives: a test that a picture's
// references are never followed counts what the files it names saw.
class OpenWatch
{
public:
    OpenWatch()
        : m_fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
    }
    ~OpenWatch()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    OpenWatch(const OpenWatch &) = delete;
    OpenWatch &operator=(const OpenWatch &) = delete;

    bool add(const QString &path)
    {
        return m_fd >= 0 && inotify_add_watch(m_fd, QFile::encodeName(path).constData(), IN_OPEN | IN_ACCESS) >= 0;
    }
    // The events told since the last call.
    int events() const
    {
        alignas(inotify_event) char buffer[4096];
        int count = 0;
        for (ssize_t got; (got = ::read(m_fd, buffer, sizeof buffer)) > 0;)
            for (ssize_t at = 0; at < got;
                 at += ssize_t(sizeof(inotify_event)) + reinterpret_cast<inotify_event *>(buffer + at)->len)
                ++count;
        return count;
    }

private:
    int m_fd = -1;
};

} // namespace pwtest
