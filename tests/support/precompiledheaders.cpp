// Compiled only to build the precompiled test headers that the test executables share.
