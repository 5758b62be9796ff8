// The drawing suite's reference-image comparer, built into this suite as well.
#include "../drawing/ReferenceImage.cpp"
