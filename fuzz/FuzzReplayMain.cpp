// The main of a fuzz target built into the test tree: instead of libFuzzer's search, each target
// runs over its seeds and a fixed set of changed copies of each (bits flipped, bytes cut, put in
// or repeated, the same every run), under the test tree's sanitizers. A build that no longer
// compiles, or a seed or a near neighbour that crashes, fails the suite; finding new faults is
// the libFuzzer build's work (`make fuzz`).
//
//   pw_<name>_replay [--changes=N] SEED_FILE_OR_FOLDER...
#include "platform/PWIsolatedCall.h"

#include <QByteArray>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <algorithm>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace {

// libFuzzer's own bound in the smoke runs: larger seeds are cut, as it cuts them.
constexpr qsizetype kMostBytes = 65536;

void run(const QByteArray &input)
{
    const QByteArray bytes = input.left(kMostBytes);
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
}

// A small generator of its own, so that every run changes the seeds the same way.
class Changes
{
public:
    explicit Changes(quint64 seed)
        : m_state(seed * 0x9E3779B97F4A7C15ull + 1)
    {
    }

    quint64 next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 7;
        m_state ^= m_state << 17;
        return m_state;
    }

    QByteArray changed(QByteArray bytes)
    {
        if (bytes.isEmpty())
            return QByteArray(1, char(next()));
        const qsizetype at = qsizetype(next() % quint64(bytes.size()));
        switch (next() % 5) {
        case 0:
            bytes[at] = char(bytes[at] ^ char(1 << (next() % 8)));
            break;
        case 1:
            bytes.truncate(at);
            break;
        case 2:
            bytes.insert(at, char(next()));
            break;
        case 3:
            bytes.remove(at, qsizetype(next() % 16) + 1);
            break;
        default:
            bytes.insert(at, bytes.mid(at, qsizetype(next() % 64) + 1));
            break;
        }
        return bytes;
    }

private:
    quint64 m_state;
};

std::vector<QString> seedFiles(const QString &path)
{
    std::vector<QString> files;
    if (QFileInfo(path).isDir()) {
        QDirIterator it(path, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            files.push_back(it.next());
        std::sort(files.begin(), files.end());
    } else if (QFileInfo(path).isFile()) {
        files.push_back(path);
    }
    return files;
}

} // namespace

int main(int argc, char **argv)
{
    // A picture is rendered by a fresh start of this program, which serves it and ends.
    PWIsolatedCall::serveIfChild();
    int changes = 256;
    std::vector<QString> paths;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--changes=", 10) == 0)
            changes = std::atoi(argv[i] + 10);
        else
            paths.push_back(QString::fromLocal8Bit(argv[i]));
    }
    // Whatever a reader keeps of its settings or caches stays in a home of the run's own.
    const QTemporaryDir home(QDir::tempPath() + QStringLiteral("/pw-fuzz-home-XXXXXX"));
    if (!home.isValid())
        return 1;
    const QByteArray homePath = QFile::encodeName(home.path());
    qputenv("HOME", homePath);
    qputenv("XDG_CONFIG_HOME", homePath + "/.config");
    qputenv("XDG_DATA_HOME", homePath + "/.local/share");
    qputenv("XDG_CACHE_HOME", homePath + "/.cache");
    LLVMFuzzerInitialize(&argc, &argv);
    run(QByteArray());
    int inputs = 1;
    quint64 seedIndex = 0;
    for (const QString &path : paths) {
        for (const QString &file : seedFiles(path)) {
            QFile seed(file);
            if (!seed.open(QIODevice::ReadOnly))
                continue;
            const QByteArray bytes = seed.read(kMostBytes);
            run(bytes);
            Changes generator(++seedIndex);
            QByteArray changed = bytes;
            for (int i = 0; i < changes; ++i) {
                // Every fourth change starts again from the seed; the others build on the last.
                changed = generator.changed(i % 4 == 0 ? bytes : changed);
                run(changed);
            }
            inputs += 1 + changes;
        }
    }
    std::fprintf(stderr, "%d inputs run\n", inputs);
    return 0;
}
