#pragma once

// The one start-up of the design kernel, for the application, the command line, benchmarks,
// fuzz targets and tests alike: the application's names (which place its settings and content
// folders), the component classes in the class-ID factory, the custom person properties and the
// environment. Call it once the Qt application object exists; later calls do nothing.
void startKernel();
