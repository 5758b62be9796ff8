#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Renders EPS bytes (plain PostScript or with the binary DOS header) through libspectre, which
// runs Ghostscript in its safe mode: the PostScript can reach no file but those of the temporary
// folder ($TMPDIR), which is why it is only run apart (PWIsolatedCall), where that folder is the
// child's own, empty one. The result is an opaque bitmap of the bounding box at the given scale
// (device pixels per point).
class PWEpsRenderer
{
public:
    // At most this many pixels a side; a larger request is scaled down.
    static constexpr int kMaxSide = 8192;

    // A null image, with a reason, for bytes Ghostscript cannot render or an empty scale.
    static QImage render(const QByteArray &eps, double xScale, double yScale, QString *error = nullptr);
};
