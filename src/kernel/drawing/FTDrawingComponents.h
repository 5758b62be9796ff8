#pragma once

// Registers the shape, separator, picture and background-picture classes with the class-ID
// factory.
void registerDrawingComponents();
