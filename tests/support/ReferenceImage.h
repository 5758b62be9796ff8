#pragma once

#include <QImage>
#include <QString>

#include <gtest/gtest.h>

#include <functional>

class CDDDrawer;

namespace drawtest {

// An opaque white image of the design size (points) times the resolution, drawn through a
// drawer of that resolution with antialiasing on, as a view would draw it.
QImage render(const QSizeF &designSize, double resolution, const std::function<void(CDDDrawer &)> &draw);

// Compares the image with tests/data/reference/<name>.png, allowing a small difference per
// colour channel. With PW_REGENERATE_REFERENCES=1 in the environment the reference is written
// instead (and the comparison succeeds). A failed comparison writes the actual image to
// reference-failures/<name>.png beside the test executable.
::testing::AssertionResult matchesReference(const QImage &image, const QString &name);

// Whether the pixel is dark (each channel below 100): a black bar or line.
bool isDark(const QImage &image, int x, int y);

} // namespace drawtest
