#pragma once

// The one start-up of the design kernel, for the application, the command line, benchmarks,
// fuzz targets and tests alike: the application's names (which place its settings and content
// folders), the component classes in the class-ID factory, the custom person properties, the
// environment and the defaults of the application's settings. Call it once the Qt application object exists; later
// calls do nothing.
void startKernel();
