// The library that compiles the shared precompiled headers needs one file of its own.
