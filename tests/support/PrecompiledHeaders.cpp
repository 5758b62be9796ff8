// The translation unit of the targets that only make the test suites' precompiled headers.
