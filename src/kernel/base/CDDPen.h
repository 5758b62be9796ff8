#pragma once

class PWBezierPath;

// A line width in points, one point by default.
class CDDPen
{
public:
    CDDPen() = default;

    void SetWidth(double width) { mWidth = width; }
    double GetWidth() const { return mWidth; }
    // Gives the path this pen's width (outlines keep widths in single precision); a null path
    // is left alone.
    void set(PWBezierPath *path) const;

    bool operator==(const CDDPen &other) const = default;

private:
    double mWidth = 1.0;
};
