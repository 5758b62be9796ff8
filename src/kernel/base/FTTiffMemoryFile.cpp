#include "kernel/base/FTTiffMemoryFile.h"

#include <tiffio.h>

#include <algorithm>
#include <cstring>
#include <new>

// libtiff's client calls, on the file the handle is.
struct FTTiffMemoryCalls
{
    static FTTiffMemoryFile *file(thandle_t handle) { return static_cast<FTTiffMemoryFile *>(handle); }

    static tsize_t read(thandle_t handle, tdata_t data, tsize_t size)
    {
        FTTiffMemoryFile *f = file(handle);
        if (size <= 0 || f->m_position >= quint64(f->m_bytes.size()))
            return 0;
        const tsize_t n = std::min<tsize_t>(size, tsize_t(quint64(f->m_bytes.size()) - f->m_position));
        std::memcpy(data, f->m_bytes.constData() + f->m_position, size_t(n));
        f->m_position += quint64(n);
        return n;
    }

    static tsize_t write(thandle_t handle, tdata_t data, tsize_t size)
    {
        FTTiffMemoryFile *f = file(handle);
        const quint64 end = f->m_position + quint64(size);
        if (size < 0 || end > quint64(f->m_mostBytes))
            return -1;
        if (end > quint64(f->m_bytes.size())) {
            try {
                f->m_bytes.resize(qsizetype(end));
            } catch (const std::bad_alloc &) {
                return -1;
            }
        }
        std::memcpy(f->m_bytes.data() + f->m_position, data, size_t(size));
        f->m_position = end;
        return size;
    }

    static toff_t seek(thandle_t handle, toff_t offset, int whence)
    {
        FTTiffMemoryFile *f = file(handle);
        toff_t base = 0;
        if (whence == SEEK_CUR)
            base = f->m_position;
        else if (whence == SEEK_END)
            base = toff_t(f->m_bytes.size());
        f->m_position = base + offset;
        return f->m_position;
    }

    static int close(thandle_t) { return 0; }
    static toff_t size(thandle_t handle) { return toff_t(file(handle)->m_bytes.size()); }
    static int map(thandle_t, tdata_t *, toff_t *) { return 0; }
    static void unmap(thandle_t, tdata_t, toff_t) {}
};

FTTiffMemoryFile::FTTiffMemoryFile(qint64 mostBytes)
    : m_mostBytes(mostBytes)
{
}

TIFF *FTTiffMemoryFile::openForWriting()
{
    return TIFFClientOpen("memory", "w", this, FTTiffMemoryCalls::read, FTTiffMemoryCalls::write, FTTiffMemoryCalls::seek,
                          FTTiffMemoryCalls::close, FTTiffMemoryCalls::size, FTTiffMemoryCalls::map,
                          FTTiffMemoryCalls::unmap);
}
